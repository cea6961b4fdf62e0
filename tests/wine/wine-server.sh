# shellcheck shell=bash
# The Wine server for the end-to-end tests that put zvsim's pseudo-terminal
# behind a COM port. Sourced by tests/wine/fetch-e2e and tests/wine/dialog-e2e.
#
# The server runs as a job of the test, not as a daemon. A daemon leads a
# session of its own with no controlling terminal, and the first terminal it
# opens becomes its controlling terminal: the simulated device's
# pseudo-terminal, which Wine opens for the COM port. When zvsim closes its
# end after a transfer, the kernel hangs that terminal up and sends the
# server SIGHUP. Wine 8's server dumps its objects on it, and now and then
# crashes right then (SIGSEGV); every Wine program ends with it at once:
# exit status 0, no message, the window gone. A server in the test's own
# session never has a controlling terminal and is never sent SIGHUP.

# The server opens the devices behind the COM ports. For the superuser it
# runs without CAP_SYS_ADMIN, the capability that lets a process open a
# terminal another program holds in exclusive mode (as zvreader-cli on
# Linux does), so that such a port is busy for the Windows programs as it
# is for an ordinary user.
zv_wine_server_command=(wineserver)
if [ "$(id -u)" -eq 0 ]; then
  zv_wine_server_command=(setpriv --bounding-set -sys_admin wineserver)
fi

# zv_start_wine_server LOG: stops the server of $WINEPREFIX, starts a new one
# (its output to LOG) and starts Wine's services with a throwaway program:
# they hold the output of the program that started them open while they
# run. Sets zv_wine_server_pid.
zv_start_wine_server() {
  local log=$1 attempt
  for attempt in 1 2 3; do
    wineserver --kill >>"$log" 2>&1 || true
    wineserver --wait >>"$log" 2>&1 || true
    "${zv_wine_server_command[@]}" --foreground --persistent=30 >>"$log" 2>&1 </dev/null &
    zv_wine_server_pid=$!
    wine cmd.exe /c exit >>"$log" 2>&1 </dev/null || true
    kill -0 "$zv_wine_server_pid" 2>/dev/null && return 0
    # The program came before the server was listening (on a busy
    # machine), started a daemon of its own, and this one gave way to it.
    echo "the Wine server did not stay in the foreground (attempt $attempt," \
      "$(zv_wine_server_state))" >>"$log"
  done
  echo "the Wine server for $WINEPREFIX did not stay in the foreground (see $log)" >&2
  return 1
}

# zv_wine_server_state: "running", or how the server started by
# zv_start_wine_server ended.
zv_wine_server_state() {
  local status=0
  if kill -0 "$zv_wine_server_pid" 2>/dev/null; then
    echo running
    return
  fi
  wait "$zv_wine_server_pid" 2>/dev/null || status=$?
  echo "ended, exit status $status"
}

# zv_wine_server_has_no_terminal: true while the server has no controlling
# terminal; check it while a COM port is open (a hang-up takes the terminal
# back).
zv_wine_server_has_no_terminal() {
  [ "$(ps -o tty= -p "$zv_wine_server_pid" | tr -d ' ')" = "?" ]
}
