#include "zvsim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "support/file_io.h"
#include "zvsim/serial_line.h"

namespace zv::sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The reader raises DTR and pauses 100 ms before its first read.
constexpr milliseconds kAnswerDelay{200};
// The longest a sending pass sleeps.
constexpr milliseconds kLongestPause{20};

int signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
  const char byte = 1;
  const int saved = errno;
  [[maybe_unused]] const auto ignored = write(signalPipe[1], &byte, 1);
  errno = saved;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

void Log(const std::string& text) { std::cerr << "zvsim: " << text << std::endl; }

bool InstallSignalHandlers(std::string& error) {
  if (pipe(signalPipe) != 0) {
    error = SystemError("pipe");
    return false;
  }
  for (int fd : signalPipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return true;
}

struct SpeedName {
  speed_t code;
  unsigned baud;
};

constexpr SpeedName kSpeeds[] = {
    {B0, 0},         {B300, 300},       {B600, 600},       {B1200, 1200},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400}, {B57600, 57600},   {B115200, 115200}, {B230400, 230400},
};

unsigned BaudOf(speed_t code) {
  for (const SpeedName& speed : kSpeeds) {
    if (speed.code == code) return speed.baud;
  }
  return 0;
}

speed_t CodeOf(unsigned baud) {
  for (const SpeedName& speed : kSpeeds) {
    if (speed.baud == baud) return speed.code;
  }
  return B9600;
}

// The pseudo-terminal that plays the device. It keeps no slave descriptor
// of its own: every open of the slave is a reader.
class PseudoDevice {
 public:
  ~PseudoDevice() {
    if (master_ >= 0) close(master_);
  }

  bool Open(unsigned baud, std::string& error) {
    int slave = -1;
    if (openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) {
      error = SystemError("openpty");
      return false;
    }
    path_ = ttyname(slave) ? ttyname(slave) : "";
    close(slave);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (path_.empty()) {
      error = "the pseudo-terminal has no name";
      return false;
    }
    Reset(baud);
    return true;
  }

  const std::string& Path() const { return path_; }
  int Master() const { return master_; }

  // The reader's line speed: on Linux the master reads the slave's settings.
  unsigned ReaderBaud() const {
    termios settings{};
    if (tcgetattr(master_, &settings) != 0) return 0;
    return BaudOf(cfgetospeed(&settings));
  }

  // A raw 8-bit line at the device's speed, empty, for the next reader.
  void Reset(unsigned baud) {
    termios settings{};
    if (tcgetattr(master_, &settings) != 0) return;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, CodeOf(baud));
    cfsetospeed(&settings, CodeOf(baud));
    tcsetattr(master_, TCSANOW, &settings);
    tcflush(master_, TCIOFLUSH);
  }

  // Throws away what the reader wrote; the device listens to nothing.
  void Drain() const {
    char scratch[256];
    while (read(master_, scratch, sizeof scratch) > 0) {
    }
  }

 private:
  int master_ = -1;
  std::string path_;
};

// A symbolic link to the device for as long as the simulator runs.
class DeviceLink {
 public:
  ~DeviceLink() {
    std::error_code ignored;
    if (!link_.empty() && std::filesystem::read_symlink(link_, ignored) == target_) {
      std::filesystem::remove(link_, ignored);
    }
  }

  // Replaces an old link (left by a simulator that was killed), never a
  // file.
  bool Make(const std::string& link, const std::string& target, std::string& error) {
    std::error_code failure;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, failure))) {
      std::filesystem::remove(link, failure);
    }
    std::filesystem::create_symlink(target, link, failure);
    if (failure) {
      error = "cannot make the link " + link + ": " + failure.message();
      return false;
    }
    link_ = link;
    target_ = target;
    return true;
  }

 private:
  std::filesystem::path link_;
  std::filesystem::path target_;
};

// Follows the readers that open and close the device through the file
// system's notifications, which queue every open and close, so a reader
// that closes the device and a next one that opens it at once are both
// seen.
class ReaderWatch {
 public:
  ~ReaderWatch() {
    if (fd_ >= 0) close(fd_);
  }

  bool Open(const std::string& device, std::string& error) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 || inotify_add_watch(fd_, device.c_str(), IN_OPEN | IN_CLOSE) < 0) {
      error = SystemError("watching " + device);
      return false;
    }
    return true;
  }

  int Fd() const { return fd_; }

  // Takes in the queued notifications.
  void Update() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t length = read(fd_, buffer, sizeof buffer);
      if (length <= 0) return;
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->mask & IN_OPEN) ++openers_;
        if ((event->mask & IN_CLOSE) && openers_ > 0 && --openers_ == 0) left_ = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

  bool Present() const { return openers_ > 0; }
  // Whether the device was left without a reader since Mark().
  bool Left() const { return left_; }
  void Mark() { left_ = false; }

 private:
  int fd_ = -1;
  int openers_ = 0;
  bool left_ = false;
};

enum class Outcome {
  Done,
  Unanswered,  // the reader left before anything was sent
  ReaderGone,  // the reader left during the sending
  Signalled,
};

bool Signalled(const pollfd& fd) { return (fd.revents & POLLIN) != 0; }

// Waits until `done()`, a signal or `timeout` (negative: none), whichever
// comes first; the watch is brought up to date on every wake-up.
template <typename Done>
Outcome WaitFor(ReaderWatch& watch, Done done, milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  for (;;) {
    watch.Update();
    if (done()) return Outcome::Done;
    int wait = -1;
    if (timeout.count() >= 0) {
      const auto left = std::chrono::ceil<milliseconds>(end - Clock::now());
      if (left.count() <= 0) return Outcome::Done;
      wait = static_cast<int>(left.count());
    }
    pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {watch.Fd(), POLLIN, 0}};
    if (poll(fds, 2, wait) > 0 && Signalled(fds[0])) return Outcome::Signalled;
  }
}

// Waits `pause` while the reader stays.
Outcome Answer(ReaderWatch& watch, milliseconds pause) {
  const Outcome outcome = WaitFor(watch, [&watch] { return watch.Left(); }, pause);
  if (outcome == Outcome::Done && watch.Left()) return Outcome::Unanswered;
  return outcome;
}

struct Sending {
  std::vector<std::uint8_t> sent;
  Outcome outcome = Outcome::Done;
};

// Writes each byte when the line would have delivered it, `speed` times
// faster than real time.
Sending Send(PseudoDevice& device, ReaderWatch& watch, const std::vector<Arrival>& arrivals,
             double speed) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(arrivals.size());
  for (const Arrival& arrival : arrivals) bytes.push_back(arrival.byte);
  Sending sending;
  const auto start = Clock::now();
  std::size_t written = 0;
  std::size_t due = 0;
  while (written < bytes.size()) {
    const double now = std::chrono::duration<double>(Clock::now() - start).count() * speed;
    while (due < arrivals.size() && arrivals[due].seconds <= now) ++due;
    if (due > written) {
      const ssize_t count = write(device.Master(), bytes.data() + written, due - written);
      if (count > 0) written += static_cast<std::size_t>(count);
    }
    const bool blocked = written < due;
    milliseconds pause = kLongestPause;
    if (!blocked && due < arrivals.size()) {
      const double wait = (arrivals[due].seconds - now) / speed;
      pause = std::clamp(std::chrono::ceil<milliseconds>(std::chrono::duration<double>(wait)),
                         milliseconds{1}, kLongestPause);
    }
    pollfd fds[3] = {{signalPipe[0], POLLIN, 0},
                     {watch.Fd(), POLLIN, 0},
                     {device.Master(), static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0}};
    if (written < bytes.size() && poll(fds, 3, static_cast<int>(pause.count())) > 0) {
      if (Signalled(fds[0])) {
        sending.outcome = Outcome::Signalled;
        break;
      }
      if (fds[2].revents & POLLIN) device.Drain();
    }
    watch.Update();
    if (watch.Left()) {
      sending.outcome = Outcome::ReaderGone;
      break;
    }
  }
  sending.sent.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(written));
  return sending;
}

void WriteDump(const std::string& path, const std::vector<std::uint8_t>& sent) {
  if (path.empty()) return;
  const FileResult result = RealFileWriter().WriteAtomic(path, sent, Owner::User);
  if (!result) Log("cannot write " + path + ": " + result.reason);
}

// One reader from opening the device to closing it: the stream, sent
// options.repeat times with options.pause of silence between.
Outcome Serve(PseudoDevice& device, ReaderWatch& watch, const SimOptions& options,
              const std::vector<std::uint8_t>& stream) {
  watch.Mark();
  Outcome outcome = Answer(watch, kAnswerDelay);
  if (outcome != Outcome::Done) return outcome;
  const unsigned lineBaud = options.Baud();
  const unsigned readerBaud = device.ReaderBaud();
  if (readerBaud != lineBaud) {
    Log("the reader listens at " + std::to_string(readerBaud) + " baud, the device sends at " +
        std::to_string(lineBaud) + ": the bytes arrive garbled");
  }
  const auto pause = std::chrono::ceil<milliseconds>(std::chrono::duration<double>(options.pause));
  for (int round = 1;; ++round) {
    const Sending sending =
        Send(device, watch, TransmitOverLine(stream, lineBaud, readerBaud), options.speed);
    WriteDump(options.dump, sending.sent);
    Log("sent " + std::to_string(sending.sent.size()) + " bytes");
    if (sending.outcome != Outcome::Done) return sending.outcome;
    if (round >= options.repeat) break;
    outcome = Answer(watch, pause);
    if (outcome == Outcome::Unanswered) return Outcome::ReaderGone;
    if (outcome != Outcome::Done) return outcome;
  }
  return WaitFor(watch, [&watch] { return watch.Left(); }, milliseconds(-1));
}

}  // namespace

int RunSimulator(const SimOptions& options, const std::vector<std::uint8_t>& stream) {
  std::string error;
  PseudoDevice device;
  ReaderWatch watch;
  DeviceLink link;
  if (!InstallSignalHandlers(error) || !device.Open(options.Baud(), error) ||
      !watch.Open(device.Path(), error) ||
      (!options.link.empty() && !link.Make(options.link, device.Path(), error))) {
    Log(error);
    return 1;
  }
  std::cout << device.Path() << std::endl;
  Log(std::string("ZORVEL ") + (options.modelIndex == 1 ? "B" : "A") + ", " +
      std::to_string(stream.size()) + " bytes at " + std::to_string(options.Baud()) +
      " baud, waiting for a reader on " + (options.link.empty() ? device.Path() : options.link));
  for (;;) {
    if (WaitFor(watch, [&watch] { return watch.Present(); }, milliseconds(-1)) ==
        Outcome::Signalled) {
      break;
    }
    Log("a reader opened the device");
    const Outcome outcome = Serve(device, watch, options, stream);
    if (outcome == Outcome::Signalled) break;
    if (outcome == Outcome::ReaderGone) Log("the reader closed the device early");
    if (outcome == Outcome::Unanswered) Log("the reader left before the device answered");
    // Fresh settings for the next reader, unless one has opened already and
    // set its own.
    watch.Update();
    if (!watch.Present()) device.Reset(options.Baud());
    // A reader that only looked at the device does not count for --once.
    if (options.once && outcome != Outcome::Unanswered) break;
    Log("waiting for the next reader");
  }
  return 0;
}

}  // namespace zv::sim
