#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
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

// The device's framing, free of I/O. The first kHeaderSize bytes of the
// stream are the header: they announce the expected count and are never a
// test themselves.
//
// ZORVEL B (model index 1): byte 2 of the header, unsigned, is the expected
// count, and every later 0x19 byte is one test.
//
// ZORVEL A (any other model index): header bytes 7 and 8 are two ASCII hex
// digits, high first, decoded without validation (see DecodeHeaderDigit).
// Every "Number" at offset kHeaderSize or later is one test once at least
// kMarkerSpan bytes start at its first byte; the next marker is searched
// from kMarkerSkip bytes after it.
inline constexpr std::string_view kTestMarker = "Number";
inline constexpr std::size_t kMarkerSpan = 19;
inline constexpr std::size_t kMarkerSkip = 17;

// One header digit: below ';' (59) → byte - 48, otherwise byte - 55. So
// '0'-'9' give 0-9, 'A'-'F' give 10-15, ':' gives 10, and any other byte
// goes through the same arithmetic ('a' gives 42, 0x00 gives -48).
int DecodeHeaderDigit(std::uint8_t byte);

// The expected count announced by `header` (at least kHeaderSize bytes).
int DecodeExpectedCount(std::span<const std::uint8_t> header, int modelIndex);

// Follows a growing stream pass by pass: decodes the expected count once
// the header is complete and counts the tests that each pass brings. The
// cost of a pass depends on the bytes it appended, not on the stream's
// length. Not thread-safe; one instance per transfer.
class StreamCounter {
 public:
  struct Pass {
    bool headerDecoded = false;  // the header was completed by this pass
    int newTests = 0;            // tests counted in this pass
  };

  // Call after each read with the whole stream so far, of which the last
  // `appended` bytes are new (0 for an empty read). A pass that leaves the
  // stream shorter than the header counts nothing. ZORVEL B examines only
  // the appended bytes; ZORVEL A counts every countable marker not yet
  // counted. `modelIndex` may change between passes; the new rule applies
  // from that pass on.
  Pass Feed(std::span<const std::uint8_t> stream, std::size_t appended,
            int modelIndex);

  bool HeaderSeen() const { return headerSeen_; }
  int ExpectedCount() const { return expected_; }
  int TestCount() const { return tests_; }

 private:
  int CountBytesB(std::span<const std::uint8_t> stream, std::size_t appended);
  int CountMarkersA(std::span<const std::uint8_t> stream);

  bool headerSeen_ = false;
  int expected_ = 0;
  int tests_ = 0;
  // ZORVEL A: where the next marker may start, and where the next search
  // resumes (no marker starts in [scanOffset_, searchFrom_)).
  std::size_t scanOffset_ = kHeaderSize;
  std::size_t searchFrom_ = kHeaderSize;
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
//
// `running` and `modelIndex` are read before every pass; Stop takes effect
// when the current Read returns, and that read's bytes are still kept and
// counted. Before the header a silent Read only starts the next pass, so a
// device that sends nothing keeps the loop waiting until Stop. The shared
// counters are reset at the start and kept current. View calls, in order:
// SetProgressPos(0), the waiting text, SetProgressRange(0, expected & 0xFFFF)
// when the header completes, then SetProgressPos(n) and the transmitted text
// for every test n, and PostTransferEnd() last, exactly once.
int ReceiveProc(ReceiveJob& job);

}  // namespace zv
