#pragma once

// Between CRS232 and its platform backend (rs232_posix.cpp or
// rs232_win32.cpp, chosen by the build). CRS232 keeps the time-outs, the
// error and the waiting rules; the backend opens, reads and signals.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "support/rs232.h"
#include "support/types.h"

namespace zv::detail {

inline constexpr DWORD kMaxDword = 0xFFFFFFFF;

// The five COMMTIMEOUTS values in their member order, in milliseconds.
struct PortTimeouts {
  DWORD readInterval = 0;
  DWORD readTotalMultiplier = 0;
  DWORD readTotalConstant = 0;
  DWORD writeTotalMultiplier = 0;
  DWORD writeTotalConstant = 0;
};

// How long one Read of `max` bytes may take, in the Win32 meaning of the
// time-outs.
struct ReadPlan {
  // Limit counted from the call; none = no total limit.
  std::optional<std::chrono::milliseconds> total;
  // Longest gap allowed after a byte; none = not used.
  std::optional<std::chrono::milliseconds> interval;
  // Return as soon as at least one byte is there.
  bool returnOnFirstByte = false;
};
ReadPlan MakeReadPlan(const PortTimeouts& timeouts, DWORD max);

// How long a Read on a closed or failed port waits before reporting
// silence: the plan's total, or one second when it has no total limit.
std::chrono::milliseconds SilenceWait(const ReadPlan& plan);

// The platform's open port; closing it releases the device and its lock.
struct NativePort;
struct NativePortCloser {
  void operator()(NativePort* port) const;
};
using NativePortPtr = std::unique_ptr<NativePort, NativePortCloser>;

// Opens `device` exclusively at `baud` (already checked): 8 data bits, no
// parity, 1 stop bit, no flow control, raw bytes. On failure returns null
// with error.kind and error.systemText set.
NativePortPtr OpenNativePort(const std::string& device, DWORD baud,
                             const PortTimeouts& timeouts, PortError& error);

struct NativeRead {
  DWORD count = 0;      // bytes stored in the buffer
  bool failed = false;  // the device failed; no more bytes will come
};
// Reads up to `max` bytes by `plan`, whose limits count from `start`.
// Returns at the first failure with what came before it.
NativeRead ReadNativePort(NativePort& port, BYTE* buffer, DWORD max,
                          const ReadPlan& plan,
                          std::chrono::steady_clock::time_point start);

// Raises or drops DTR; a line without modem control ignores it.
void SetNativeDtr(NativePort& port, bool raised);

}  // namespace zv::detail
