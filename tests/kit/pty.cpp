#include "kit/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <utility>

namespace zv::testkit {
namespace {

using Clock = std::chrono::steady_clock;

struct SpeedName {
  speed_t code;
  unsigned baud;
};

constexpr SpeedName kSpeeds[] = {
    {B0, 0},         {B50, 50},         {B75, 75},         {B110, 110},
    {B134, 134},     {B150, 150},       {B200, 200},       {B300, 300},
    {B600, 600},     {B1200, 1200},     {B1800, 1800},     {B2400, 2400},
    {B4800, 4800},   {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
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

constexpr tcflag_t kDataBitMasks[] = {CS5, CS6, CS7, CS8};

int DataBitsOf(tcflag_t cflag) {
  for (int i = 0; i < 4; ++i) {
    if ((cflag & CSIZE) == kDataBitMasks[i]) return 5 + i;
  }
  return 0;
}

// Everything cfmakeraw switches off.
constexpr tcflag_t kCookedInput =
    IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON;
constexpr tcflag_t kCookedLocal = ECHO | ECHONL | ICANON | ISIG | IEXTEN;

bool IsRaw(const termios& t) {
  return (t.c_iflag & kCookedInput) == 0 && (t.c_oflag & OPOST) == 0 &&
         (t.c_lflag & kCookedLocal) == 0;
}

void SetFlag(tcflag_t& flags, tcflag_t bits, bool on) {
  flags = on ? (flags | bits) : (flags & ~bits);
}

std::string SystemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

int MillisecondsUntil(Clock::time_point deadline) {
  auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
  termios raw{};
  cfmakeraw(&raw);
  raw.c_cflag |= CLOCAL | CREAD;
  cfsetspeed(&raw, B9600);
  char name[256] = {};
  if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
    error_ = SystemError("openpty");
    master_ = slave_ = -1;
    return;
  }
  slavePath_ = name;
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() {
  CloseMaster();
  if (slave_ >= 0) close(slave_);
}

bool PseudoTerminal::Ok() const { return slave_ >= 0; }

const std::string& PseudoTerminal::Error() const { return error_; }

const std::string& PseudoTerminal::SlavePath() const { return slavePath_; }

int PseudoTerminal::MasterFd() const { return master_; }

bool PseudoTerminal::Write(const void* data, std::size_t size) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    if (master_ < 0) return false;
    ssize_t written = write(master_, bytes, size);
    if (written > 0) {
      bytes += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno != EAGAIN) return false;
    pollfd room{master_, POLLOUT, 0};
    if (Clock::now() >= deadline) return false;
    poll(&room, 1, MillisecondsUntil(deadline));
  }
  return true;
}

bool PseudoTerminal::Write(std::string_view bytes) {
  return Write(bytes.data(), bytes.size());
}

bool PseudoTerminal::Write(const std::vector<std::uint8_t>& bytes) {
  return Write(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> PseudoTerminal::ReadSent(
    std::size_t max, std::chrono::milliseconds timeout) {
  std::vector<std::uint8_t> sent;
  const auto deadline = Clock::now() + timeout;
  while (master_ >= 0 && sent.size() < max) {
    pollfd ready{master_, POLLIN, 0};
    int result = poll(&ready, 1, MillisecondsUntil(deadline));
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0 || (ready.revents & POLLIN) == 0) break;
    std::uint8_t chunk[256];
    std::size_t wanted = std::min(max - sent.size(), sizeof chunk);
    ssize_t got = read(master_, chunk, wanted);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) break;
    sent.insert(sent.end(), chunk, chunk + got);
  }
  return sent;
}

std::optional<LineSettings> PseudoTerminal::SlaveSettings() const {
  termios t{};
  int fd = master_ >= 0 ? master_ : slave_;
  if (fd < 0 || tcgetattr(fd, &t) != 0) return std::nullopt;
  LineSettings line;
  line.baud = BaudOf(cfgetospeed(&t));
  line.inputBaud = BaudOf(cfgetispeed(&t));
  line.dataBits = DataBitsOf(t.c_cflag);
  line.parity = (t.c_cflag & PARENB) != 0;
  line.twoStopBits = (t.c_cflag & CSTOPB) != 0;
  line.hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
  line.softwareFlow = (t.c_iflag & (IXON | IXOFF | IXANY)) != 0;
  line.ignoreModemLines = (t.c_cflag & CLOCAL) != 0;
  line.receiverOn = (t.c_cflag & CREAD) != 0;
  line.raw = IsRaw(t);
  return line;
}

bool PseudoTerminal::SetSlaveSettings(const LineSettings& line) {
  termios t{};
  if (slave_ < 0 || tcgetattr(slave_, &t) != 0) return false;
  if (line.raw) {
    cfmakeraw(&t);
  } else {
    t.c_iflag |= BRKINT | ICRNL;
    t.c_oflag |= OPOST | ONLCR;
    t.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
  }
  t.c_cflag &= ~CSIZE;
  int bits = line.dataBits >= 5 && line.dataBits <= 8 ? line.dataBits : 8;
  t.c_cflag |= kDataBitMasks[bits - 5];
  SetFlag(t.c_cflag, PARENB, line.parity);
  SetFlag(t.c_cflag, CSTOPB, line.twoStopBits);
  SetFlag(t.c_cflag, CRTSCTS, line.hardwareFlow);
  SetFlag(t.c_iflag, IXON | IXOFF, line.softwareFlow);
  SetFlag(t.c_cflag, CLOCAL, line.ignoreModemLines);
  SetFlag(t.c_cflag, CREAD, line.receiverOn);
  cfsetospeed(&t, CodeOf(line.baud));
  cfsetispeed(&t, line.inputBaud != 0 ? CodeOf(line.inputBaud) : B0);
  return tcsetattr(slave_, TCSANOW, &t) == 0;
}

void PseudoTerminal::CloseMaster() {
  if (master_ >= 0) close(std::exchange(master_, -1));
}

}  // namespace zv::testkit
