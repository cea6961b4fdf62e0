#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>

#include "support/rs232.h"

namespace zv::testkit {

// The real serial port, on a line that a test can declare busy until a
// given number of bytes has been read: until then a Read that finds the
// line silent reads again instead of reporting the silence. A writer
// thread that the machine does not schedule for longer than the read
// time-out then cannot end a transfer early, and the time-out can stay
// short. Only silence is held back, never bytes: once the bytes have come,
// or after `patience` without them, silence is reported as usual.
//
// Threads: Read is the reader's; StayBusyUntil may be called from any
// thread, also while a Read runs.
class BusyLinePort : public CRS232 {
 public:
  explicit BusyLinePort(std::chrono::milliseconds patience = std::chrono::seconds(10))
      : patience_(patience) {}

  // Counted from the port's first Read.
  void StayBusyUntil(std::size_t bytes) { busyUntil_ = bytes; }

  int Read(DWORD max, BYTE* buffer, DWORD* count) override;

 private:
  const std::chrono::milliseconds patience_;
  std::atomic<std::size_t> busyUntil_{0};
  std::size_t bytesRead_ = 0;
};

}  // namespace zv::testkit
