#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::testkit {

// The slave's line settings, decoded from its termios.
struct LineSettings {
  unsigned baud = 0;              // output speed in bits/s, 0 if unknown
  unsigned inputBaud = 0;         // input speed, 0 when it follows output
  int dataBits = 8;               // 5 to 8
  bool parity = false;            // PARENB
  bool twoStopBits = false;       // CSTOPB
  bool hardwareFlow = false;      // CRTSCTS
  bool softwareFlow = false;      // any of IXON, IXOFF, IXANY
  bool ignoreModemLines = false;  // CLOCAL
  bool receiverOn = false;        // CREAD
  // No input, output or line processing at all: what cfmakeraw leaves
  // (no ICANON, ECHO, ISIG, IEXTEN, OPOST, no CR/NL mapping, no stripping,
  // no break or parity marking).
  bool raw = false;
};

// A pseudo-terminal pair standing in for a serial device. The master side
// plays the instrument: bytes written to it arrive at the slave, which the
// code under test opens by SlavePath() exactly like a real serial port.
//
// The pair starts raw (8 bits, no echo, no line editing), so bytes written
// before the code under test opens the slave arrive unchanged. The helper
// keeps its own slave descriptor open until destruction, so the line lives
// on between the opens and closes of the code under test; CloseMaster()
// makes the device vanish.
//
// Threads: Write may run on one thread while the code under test reads the
// slave on another; the other members belong to the thread that owns the
// object.
class PseudoTerminal {
 public:
  // Opens the pair. On failure Ok() is false and Error() tells why.
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Ok() const;
  const std::string& Error() const;

  // The slave's device path, e.g. /dev/pts/7.
  const std::string& SlavePath() const;
  // The master descriptor (non-blocking), -1 once closed.
  int MasterFd() const;

  // Writes every byte into the master, waiting up to 5 s in total for room
  // when the slave's input queue is full. False on failure or time-out.
  bool Write(const void* data, std::size_t size);
  bool Write(std::string_view bytes);
  bool Write(const std::vector<std::uint8_t>& bytes);

  // What the slave side sent: waits up to `timeout` for `max` bytes and
  // returns those that came (possibly none).
  std::vector<std::uint8_t> ReadSent(std::size_t max,
                                     std::chrono::milliseconds timeout);

  // The slave's current line settings (read through the master), nothing
  // when they cannot be read.
  std::optional<LineSettings> SlaveSettings() const;
  // Changes the slave's line settings, e.g. to start from a cooked line
  // with flow control so a test sees the code under test undo it. A
  // settings.raw of false switches on the usual cooked processing.
  bool SetSlaveSettings(const LineSettings& settings);

  // The device vanishes: closes the master. The slave then reads as hung
  // up; Write fails from now on.
  void CloseMaster();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string error_;
};

}  // namespace zv::testkit
