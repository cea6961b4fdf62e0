#pragma once

#include <functional>
#include <memory>
#include <string>

#include "support/strings.h"
#include "support/types.h"

namespace zv {

// Why the last Open failed.
enum class PortErrorKind {
  None,
  NoPortSelected,    // COM 0: nothing chosen in the port list
  NoDevice,          // the COM number maps to no device, or the device is absent
  PermissionDenied,  // the user may not open the device
  Busy,              // another program holds the port
  NotSerial,         // the path exists but is not a serial line
  BadBaudRate,       // not 4800, 9600 or 19200
  Other,
};

struct PortError {
  PortErrorKind kind = PortErrorKind::None;
  int com = 0;             // COM number asked for (0 when opened by path)
  std::string device;      // device path tried, empty when there was none
  std::string systemText;  // the operating system's own words, if any
  DWORD baud = 0;          // baud rate asked for
};

// 4800, 9600 or 19200: the rates the instruments speak.
bool IsSupportedBaud(DWORD baud);

// Receives the one sentence that ReportError composes, in `language`. The
// dialog shows it in a message box in the dialog's language; the
// command-line tool prints it to stderr in English. Installing an empty
// reporter restores the default, which writes the message and a line break
// to stderr. The reporter is called on the thread that calls ReportError.
using ErrorReporter = std::function<void(const std::string& message)>;
void SetErrorReporter(ErrorReporter reporter, Language language = Language::English);

// The user-facing sentence for an open failure, in UTF-8: which port and
// device, why, and what to do about it. Empty for PortErrorKind::None.
std::string DescribePortError(const PortError& error, Language language = Language::English);

// Serial port: 8 data bits, no parity, 1 stop bit, no flow control, raw bytes.
//
// Threads: Open, Close, SetTimeoutDefaults and ReportError belong to the UI
// thread. While a transfer runs, the worker alone calls Read and Shake; the
// UI thread closes the port only after the worker has ended.
class CRS232 {
 public:
  CRS232();
  virtual ~CRS232();
  CRS232(const CRS232&) = delete;
  CRS232& operator=(const CRS232&) = delete;

  // The five COMMTIMEOUTS values, in their member order: read interval,
  // read total multiplier, read total constant, write total multiplier,
  // write total constant (milliseconds). Applied by the next Open.
  void SetTimeoutDefaults(DWORD readInterval, DWORD readTotalMultiplier,
                          DWORD readTotalConstant, DWORD writeTotalMultiplier,
                          DWORD writeTotalConstant);

  // Opens COM `com` (1-256) at `baud` through PortDevice(). Exclusive: a
  // second opener, in this process or another, gets Busy. Returns nonzero
  // when open; on failure the reason is kept for ReportError and LastError.
  // An open port is closed first. DTR and RTS are raised by the open.
  int Open(int com, DWORD baud);
  // Opens a device path directly (a pseudo-terminal, a by-id link).
  int OpenDevice(const std::string& device, DWORD baud);

  bool IsOpen() const;
  // Releases the port (and its lock); nonzero when a port was open.
  virtual int Close();

  // Reads up to `max` bytes into `buffer`, always writing `*count`.
  // Returns as soon as `max` bytes have arrived, or when the read total
  // time-out (multiplier * max + constant, from SetTimeoutDefaults) has
  // passed since the call, with whatever arrived by then.
  // Result: nonzero when at least one byte arrived; zero with *count == 0
  // when nothing did. A failed or vanished device reads as silence, and
  // Read still waits out its time-out first, so a caller looping on it
  // never spins.
  //
  // The time-outs keep their Win32 meaning: a nonzero read interval ends
  // the read when the gap after a byte exceeds it; multiplier and constant
  // both 0 mean no total limit (Read then waits for `max` bytes or an
  // interval gap); interval 0xFFFFFFFF with both totals 0 returns at once
  // with whatever is waiting; interval and multiplier 0xFFFFFFFF with a
  // constant returns as soon as any byte is there, or after the constant.
  //
  // Once the device fails (hang-up, unplugged adapter, read error), the
  // bytes that came before are returned after the time-out has been waited
  // out. A closed port, or a failed one, waits the same way and then
  // returns zero with *count == 0; where the time-outs set no total limit,
  // it waits one second instead.
  virtual int Read(DWORD max, BYTE* buffer, DWORD* count);

  // Whether the open device has failed since it was opened (a hang-up, an
  // unplugged adapter, a read error): it then reads as silence until it is
  // closed and opened again. Any thread may ask, also while another reads.
  bool Failed() const;

  // 5 raises DTR, 6 drops it (the Win32 SETDTR / CLRDTR escape codes).
  // A line without modem control (a pseudo-terminal) ignores it. Virtual,
  // like Read, so a scripted port can record the handshake.
  virtual void Shake(DWORD function);

  // Hands DescribePortError(LastError()) to the installed reporter.
  void ReportError();
  const PortError& LastError() const;

  // The device path of the open port (as given or mapped, before links
  // are followed), empty when closed.
  std::string Device() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zv
