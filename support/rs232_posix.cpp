#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>

#include "support/rs232_native.h"

namespace zv::detail {

struct NativePort {
  int fd = -1;
  bool exclusive = false;  // TIOCEXCL is ours to clear on close
  bool lineBusy = false;   // the last read filled its whole request
};

namespace {

using Clock = std::chrono::steady_clock;

struct ErrnoKind {
  int error;
  PortErrorKind kind;
};

constexpr ErrnoKind kOpenErrors[] = {
    {ENOENT, PortErrorKind::NoDevice},
    {ENXIO, PortErrorKind::NoDevice},
    {ENODEV, PortErrorKind::NoDevice},
    {ENOTDIR, PortErrorKind::NoDevice},
    {EACCES, PortErrorKind::PermissionDenied},
    {EPERM, PortErrorKind::PermissionDenied},
    {EROFS, PortErrorKind::PermissionDenied},
    {EBUSY, PortErrorKind::Busy},
    {EWOULDBLOCK, PortErrorKind::Busy},
    {EISDIR, PortErrorKind::NotSerial},
    {ENOTTY, PortErrorKind::NotSerial},
};

PortErrorKind KindOf(int error) {
  for (const ErrnoKind& entry : kOpenErrors) {
    if (entry.error == error) return entry.kind;
  }
  return PortErrorKind::Other;
}

struct SpeedCode {
  DWORD baud;
  speed_t code;
};

constexpr SpeedCode kSpeeds[] = {
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
};

NativePortPtr Fail(PortError& error, int systemError, PortErrorKind kind) {
  error.kind = kind;
  error.systemText = std::strerror(systemError);
  return nullptr;
}

NativePortPtr Fail(PortError& error, int systemError) {
  return Fail(error, systemError, KindOf(systemError));
}

// 8 data bits, no parity, 1 stop bit, no flow control, no processing of
// any byte; reads never block (poll does the waiting).
bool SetLine(int fd, speed_t speed) {
  termios line{};
  if (tcgetattr(fd, &line) != 0) return false;
  cfmakeraw(&line);
  line.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  line.c_cflag |= CS8 | CLOCAL | CREAD;
  line.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  line.c_cc[VMIN] = 0;
  line.c_cc[VTIME] = 0;
  if (cfsetispeed(&line, speed) != 0 || cfsetospeed(&line, speed) != 0) {
    return false;
  }
  return tcsetattr(fd, TCSANOW, &line) == 0;
}

int MillisecondsUntil(Clock::time_point until) {
  auto left =
      std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
  return static_cast<int>(
      std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
}

// When the current wait ends: the total deadline, or earlier when the gap
// after the last byte runs out. Nothing = wait without limit.
std::optional<Clock::time_point> WaitEnd(
    const ReadPlan& plan, std::optional<Clock::time_point> deadline,
    DWORD count, Clock::time_point lastByte) {
  if (count == 0 || !plan.interval) return deadline;
  Clock::time_point gapEnd = lastByte + *plan.interval;
  return deadline ? std::min(*deadline, gapEnd) : gapEnd;
}

}  // namespace

void NativePortCloser::operator()(NativePort* port) const {
  if (port->exclusive) ioctl(port->fd, TIOCNXCL);
  flock(port->fd, LOCK_UN);
  close(port->fd);
  delete port;
}

NativePortPtr OpenNativePort(const std::string& device, DWORD baud,
                             const PortTimeouts&, PortError& error) {
  const auto* speed =
      std::find_if(std::begin(kSpeeds), std::end(kSpeeds),
                   [baud](const SpeedCode& s) { return s.baud == baud; });
  if (speed == std::end(kSpeeds))
    return Fail(error, EINVAL, PortErrorKind::BadBaudRate);

  int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(error, errno);
  NativePortPtr port(new NativePort{fd});
  if (!isatty(fd)) {
    error.kind = PortErrorKind::NotSerial;
    return nullptr;
  }
  // TIOCEXCL keeps out other users' opens but not root's; the lock keeps
  // out every other opener that asks for it, this process included.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return Fail(error, errno);
  port->exclusive = ioctl(fd, TIOCEXCL) == 0;
  if (!SetLine(fd, speed->code))
    return Fail(error, errno, PortErrorKind::Other);
  return port;
}

NativeRead ReadNativePort(NativePort& port, BYTE* buffer, DWORD max,
                          const ReadPlan& plan, Clock::time_point start) {
  NativeRead result;
  std::optional<Clock::time_point> deadline;
  if (plan.total) deadline = start + *plan.total;
  Clock::time_point lastByte = start;
  // While the line is busy (the last read filled its request) bytes are
  // taken at once, one system call per chunk; once it has been drained,
  // poll first, so that waiting costs no failed reads. After poll said
  // "readable", a read without data means the line is gone (end of file,
  // hang-up).
  bool pollSaidReadable = false;
  while (result.count < max) {
    if (result.count > 0 && plan.returnOnFirstByte) break;
    if (port.lineBusy || pollSaidReadable) {
      const DWORD wanted = max - result.count;
      const ssize_t got = read(port.fd, buffer + result.count, wanted);
      if (got > 0) {
        result.count += static_cast<DWORD>(got);
        lastByte = Clock::now();
        port.lineBusy = static_cast<DWORD>(got) == wanted;
        pollSaidReadable = false;
        continue;
      }
      if (got < 0 && errno == EINTR) continue;
      port.lineBusy = false;
      if ((got < 0 && errno != EAGAIN) || pollSaidReadable) {
        result.failed = true;  // a read error or end of file: the line is gone
        break;
      }
    }
    const auto until = WaitEnd(plan, deadline, result.count, lastByte);
    pollfd ready{port.fd, POLLIN, 0};
    const int events = poll(&ready, 1, until ? MillisecondsUntil(*until) : -1);
    if (events < 0 && errno == EINTR) continue;
    if (events == 0) {
      if (until && Clock::now() < *until) continue;
      break;  // time-out
    }
    if (events < 0 || (ready.revents & POLLIN) == 0) {
      result.failed = true;  // hang-up, error, or a descriptor gone bad
      break;
    }
    pollSaidReadable = true;
  }
  return result;
}

void SetNativeDtr(NativePort& port, bool raised) {
  int dtr = TIOCM_DTR;
  // A line without modem control (a pseudo-terminal) refuses; that is fine.
  ioctl(port.fd, raised ? TIOCMBIS : TIOCMBIC, &dtr);
}

}  // namespace zv::detail
