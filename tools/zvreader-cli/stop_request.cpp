#include "zvreader-cli/stop_request.h"

#include <algorithm>
#include <thread>

namespace zv::cli {

bool WaitForStopRequest(std::chrono::milliseconds timeout) {
  // A signal handler may only set a flag, so the flag is looked at rather
  // than waited on.
  constexpr std::chrono::milliseconds kLook{100};
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!StopRequested()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return false;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kLook, end - now));
  }
  return true;
}

}  // namespace zv::cli
