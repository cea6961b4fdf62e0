#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/rs232.h"

namespace zv {

inline constexpr int kModelA = 0;  // ZORVEL A
inline constexpr int kModelB = 1;  // ZORVEL B

inline constexpr std::size_t kChunkSize = 64;   // bytes per Read
inline constexpr std::size_t kHeaderSize = 10;  // bytes before the count is decoded

// What the receive loop asks of the window. The worker calls these from its
// own thread. Implementations apply the progress and status calls on the UI
// thread in the order they were made and before the end command is
// handled, and none of them may wait for the UI thread: the UI thread may
// be joining the worker at that moment.
class IReceiveView {
 public:
  virtual ~IReceiveView() = default;
  virtual void SetProgressRange(int lower, int upper) = 0;
  virtual void SetProgressPos(int position) = 0;
  virtual void SetStatusText(const std::string& text) = 0;  // UTF-8
  // Posts ID_TRANSFER_END to the window. The worker's last call.
  virtual void PostTransferEnd() = 0;
};

// What the UI thread and the worker share.
//
// `running` and `modelIndex` are written by the UI thread and read by the
// worker before every pass. `buffer` belongs to the worker from Start until
// the end command arrives, and to the UI thread after it. The counters are
// written by the worker and may be read from any thread.
struct TransferShared {
  std::atomic<int> running{0};
  std::atomic<int> modelIndex{kModelA};
  std::vector<std::uint8_t> buffer;
  std::atomic<int> expectedCount{0};
  std::atomic<int> testCount{0};
  std::atomic<bool> headerSeen{false};
};

using SleepFunction = std::function<void(std::chrono::milliseconds)>;

struct ReceiveJob {
  CRS232& port;            // open; the worker reads it and sets DTR
  TransferShared& shared;
  IReceiveView& view;
  SleepFunction sleep;     // empty: a real sleep
};

// The worker's body: raises DTR, waits 100 ms, reads 64-byte chunks into
// the buffer until Stop or the first silence after the header, counting the
// tests by the model's rule, then drops DTR and posts the end command.
// Returns 0.
int ReceiveProc(ReceiveJob& job);

}  // namespace zv
