#include "transfer/receive.h"

#include <algorithm>
#include <array>
#include <thread>

#include "res/resource.h"
#include "support/strings.h"

namespace zv {

namespace {

constexpr std::uint8_t kTestByteB = 0x19;
constexpr std::size_t kCountOffsetB = 2;
constexpr std::size_t kHighDigitOffsetA = 7;
constexpr std::size_t kLowDigitOffsetA = 8;
constexpr DWORD kRaiseDtr = 5;
constexpr DWORD kDropDtr = 6;
constexpr std::chrono::milliseconds kDtrSettle{100};

void Sleep(const SleepFunction& sleep, std::chrono::milliseconds duration) {
  if (sleep) {
    sleep(duration);
  } else {
    std::this_thread::sleep_for(duration);
  }
}

}  // namespace

int DecodeHeaderDigit(std::uint8_t byte) {
  const int value = byte;
  return value < ';' ? value - '0' : value - ('A' - 10);
}

int DecodeExpectedCount(std::span<const std::uint8_t> header, int modelIndex) {
  if (modelIndex == kModelB) {
    return header[kCountOffsetB];
  }
  return DecodeHeaderDigit(header[kHighDigitOffsetA]) * 16 +
         DecodeHeaderDigit(header[kLowDigitOffsetA]);
}

StreamCounter::Pass StreamCounter::Feed(std::span<const std::uint8_t> stream,
                                        std::size_t appended, int modelIndex) {
  Pass pass;
  if (!headerSeen_) {
    if (stream.size() < kHeaderSize) {
      return pass;
    }
    expected_ = DecodeExpectedCount(stream.first(kHeaderSize), modelIndex);
    headerSeen_ = true;
    pass.headerDecoded = true;
  }
  pass.newTests = modelIndex == kModelB ? CountBytesB(stream, appended)
                                        : CountMarkersA(stream);
  tests_ += pass.newTests;
  return pass;
}

int StreamCounter::CountBytesB(std::span<const std::uint8_t> stream,
                               std::size_t appended) {
  const std::size_t from =
      std::max(kHeaderSize, stream.size() - std::min(appended, stream.size()));
  const auto tail = stream.subspan(from);
  return static_cast<int>(std::count(tail.begin(), tail.end(), kTestByteB));
}

// Finds the markers from searchFrom_ on. A marker too close to the end
// stops the pass and is found again, first thing, by the next one; when
// none is found the next search resumes just short of the end, where a
// marker may still be completing.
int StreamCounter::CountMarkersA(std::span<const std::uint8_t> stream) {
  const std::string_view text(reinterpret_cast<const char*>(stream.data()),
                              stream.size());
  int found = 0;
  searchFrom_ = std::max(searchFrom_, scanOffset_);
  while (searchFrom_ < text.size()) {
    const std::size_t at = text.find(kTestMarker, searchFrom_);
    if (at == std::string_view::npos) {
      const std::size_t partial = std::min(kTestMarker.size() - 1, text.size());
      searchFrom_ = std::max(scanOffset_, text.size() - partial);
      break;
    }
    searchFrom_ = at;
    if (text.size() - at < kMarkerSpan) {
      break;
    }
    ++found;
    scanOffset_ = at + kMarkerSkip;
    searchFrom_ = scanOffset_;
  }
  return found;
}

namespace {

void ResetShared(TransferShared& shared) {
  shared.buffer.clear();
  shared.expectedCount = 0;
  shared.testCount = 0;
  shared.headerSeen = false;
}

// Publishes what a pass found: the announced count once, then every new
// test one by one, as the progress bar and the status text show them.
void Publish(const StreamCounter& counter, StreamCounter::Pass pass,
             TransferShared& shared, IReceiveView& view) {
  if (pass.headerDecoded) {
    shared.expectedCount = counter.ExpectedCount();
    shared.headerSeen = true;
    view.SetProgressRange(0, counter.ExpectedCount() & 0xFFFF);
  }
  const int firstNew = counter.TestCount() - pass.newTests + 1;
  for (int tests = firstNew; tests <= counter.TestCount(); ++tests) {
    shared.testCount = tests;
    view.SetProgressPos(tests);
    view.SetStatusText(FormatTransmitted(tests, counter.ExpectedCount()));
  }
}

}  // namespace

int ReceiveProc(ReceiveJob& job) {
  TransferShared& shared = job.shared;
  job.view.SetProgressPos(0);
  std::array<BYTE, kChunkSize> chunk{};
  StreamCounter counter;
  ResetShared(shared);

  job.port.Shake(kRaiseDtr);
  Sleep(job.sleep, kDtrSettle);
  job.view.SetStatusText(LoadStringA(IDS_WAITING));

  while (shared.running.load() != 0) {
    DWORD count = 0;
    const int result = job.port.Read(kChunkSize, chunk.data(), &count);
    if (result == 0 && count == 0) {
      if (counter.HeaderSeen()) {
        break;  // silence after the header: the stream has ended
      }
      continue;
    }
    // A port never hands more than it was asked for; should one claim
    // otherwise, only the chunk's own bytes exist.
    const std::size_t appended = std::min<std::size_t>(count, chunk.size());
    shared.buffer.insert(shared.buffer.end(), chunk.begin(),
                         chunk.begin() + static_cast<std::ptrdiff_t>(appended));
    const StreamCounter::Pass pass =
        counter.Feed(shared.buffer, appended, shared.modelIndex.load());
    Publish(counter, pass, shared, job.view);
  }

  job.port.Shake(kDropDtr);
  job.view.PostTransferEnd();
  return 0;
}

}  // namespace zv
