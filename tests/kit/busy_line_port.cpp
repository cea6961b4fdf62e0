#include "kit/busy_line_port.h"

namespace zv::testkit {

int BusyLinePort::Read(DWORD max, BYTE* buffer, DWORD* count) {
  const auto giveUp = std::chrono::steady_clock::now() + patience_;
  for (;;) {
    const int result = CRS232::Read(max, buffer, count);
    bytesRead_ += *count;
    if (result != 0 || *count != 0 || bytesRead_ >= busyUntil_) return result;
    if (std::chrono::steady_clock::now() >= giveUp) return result;
  }
}

}  // namespace zv::testkit
