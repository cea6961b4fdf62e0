// Starts a program on the X display in $DISPLAY and waits for its first
// top-level window to be mapped, watching the root window's map events from
// outside the program. Prints one line: the milliseconds from just before
// the program was started to the map event, the program's resident memory
// (VmRSS, kB) and the CPU milliseconds of its main thread, both read right
// then. Then ends the program.
//
//   startup_probe [--title TITLE] [--timeout SECONDS] -- program [args...]
//
// The window is recognised by its _NET_WM_PID, and by its title when one
// is given. Exit status 0 on success, 1 on time-out or failure.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  std::optional<std::string> title;
  int timeoutSeconds = 20;
  std::vector<char*> command;  // null-terminated
};

std::optional<Options> Parse(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
      options.title = argv[++i];
    } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      options.timeoutSeconds = std::atoi(argv[++i]);
    } else {
      return std::nullopt;
    }
  }
  for (++i; i < argc; ++i) options.command.push_back(argv[i]);
  if (options.command.empty()) return std::nullopt;
  options.command.push_back(nullptr);
  return options;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The bytes of a window property, empty when it is not set.
std::string Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type) {
  const auto cookie = xcb_get_property(connection, 0, window, property, type, 0, 1024);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(connection, cookie, nullptr), &std::free);
  if (!reply) return {};
  const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
  return std::string(data, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

// CPU time the program's main thread has used, in milliseconds (its
// schedstat: nanoseconds on a core); -1 where the system does not tell.
double MainThreadCpuMilliseconds(pid_t pid) {
  std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
  unsigned long long running = 0;
  if (!(schedstat >> running)) return -1;
  return static_cast<double>(running) / 1e6;
}

long ResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

void End(pid_t child) {
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = Parse(argc, argv);
  if (!options) {
    std::fprintf(stderr,
                 "usage: startup_probe [--title TITLE] [--timeout SECONDS] -- program [args...]\n");
    return 2;
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "startup_probe: cannot open the display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_request_check(connection,
                    xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask));
  const xcb_atom_t pidAtom = Atom(connection, "_NET_WM_PID");
  const xcb_atom_t nameAtom = Atom(connection, "_NET_WM_NAME");
  const xcb_atom_t utf8Atom = Atom(connection, "UTF8_STRING");

  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(options->command[0], options->command.data());
    std::perror("startup_probe: exec");
    _exit(127);
  }
  const auto deadline = start + std::chrono::seconds(options->timeoutSeconds);
  pollfd display{xcb_get_file_descriptor(connection), POLLIN, 0};
  while (Clock::now() < deadline) {
    xcb_generic_event_t* event = xcb_poll_for_event(connection);
    if (event == nullptr) {
      if (xcb_connection_has_error(connection) || waitpid(child, nullptr, WNOHANG) == child) break;
      poll(&display, 1, 50);
      continue;
    }
    const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
    const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
    std::free(event);
    if (!mapped) continue;
    const auto shown = Clock::now();
    const std::string pid = Property(connection, window, pidAtom, XCB_ATOM_CARDINAL);
    uint32_t windowPid = 0;
    if (pid.size() >= sizeof windowPid) std::memcpy(&windowPid, pid.data(), sizeof windowPid);
    if (windowPid != static_cast<uint32_t>(child)) continue;
    if (options->title && Property(connection, window, nameAtom, utf8Atom) != *options->title) {
      continue;
    }
    const long resident = ResidentKilobytes(child);
    const double cpu = MainThreadCpuMilliseconds(child);
    const double milliseconds = std::chrono::duration<double, std::milli>(shown - start).count();
    std::printf("%.1f %ld %.1f\n", milliseconds, resident, cpu);
    End(child);
    xcb_disconnect(connection);
    return 0;
  }
  std::fprintf(stderr, "startup_probe: no window of %s was mapped\n", options->command[0]);
  End(child);
  xcb_disconnect(connection);
  return 1;
}
