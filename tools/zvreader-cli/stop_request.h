#pragma once

#include <chrono>

namespace zv::cli {

// Ctrl-C (SIGINT) and SIGTERM become a request to stop the transfer, as
// the dialog's Stop button: the program goes on, ends the transfer
// normally and keeps everything received. On Windows so do Ctrl-Break and
// the console's window being closed, the user logging off and the system
// shutting down; for these three Windows ends the program once its
// handler returns, so the handler waits (a few seconds at most) for
// StopRequestDone.
void InstallStopRequestHandlers();

// True once a stop has been requested. Any thread may ask.
bool StopRequested();

// Waits up to `timeout` for a stop request, looking for it several times a
// second; true when one has come.
bool WaitForStopRequest(std::chrono::milliseconds timeout);

// Says that the program has kept what it received and may now be ended.
void StopRequestDone();

}  // namespace zv::cli
