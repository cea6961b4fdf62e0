// A 100 MiB stream through a pseudo-terminal into the receive loop, then
// the raw dump and the clean-up: every byte arrives in order, every test
// is counted, and the process never holds more than three times the
// stream in memory. The line stays busy until the whole stream has been
// read, so a writer the machine leaves waiting cannot end it early.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "kit/busy_line_port.h"
#include "kit/pty.h"
#include "kit/temp_env.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "support/rs232.h"
#include "transfer/convert.h"
#include "transfer/receive.h"
#include "transfer/result_files.h"

namespace zv {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kStreamSize = std::size_t{100} << 20;
constexpr std::size_t kPieceSize = 64 << 10;
constexpr std::uint8_t kTestByte = 0x19;

// The stream of a ZORVEL B that keeps sending: a header, then numbered
// records of text and every other byte value, each opened by the test
// byte. Made piece by piece so that the test itself holds no copy.
class StreamSource {
 public:
  // The next `size` bytes of the stream (fewer at its end).
  Bytes Next(std::size_t size) {
    Bytes piece;
    piece.reserve(size);
    while (piece.size() < size && produced_ < kStreamSize) {
      if (pending_.empty()) Refill();
      const std::size_t n = std::min({size - piece.size(), pending_.size() - at_,
                                      kStreamSize - produced_});
      piece.insert(piece.end(), pending_.begin() + static_cast<std::ptrdiff_t>(at_),
                   pending_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
      at_ += n;
      produced_ += n;
      if (at_ == pending_.size()) {
        pending_.clear();
        at_ = 0;
      }
    }
    return piece;
  }

  // Records whose test byte lies within the stream.
  int TestsSent() const { return testsStarted_; }

 private:
  void Refill() {
    if (produced_ == 0) {
      pending_ = {0x1b, '@', 0xff, 'Z', 'V', 'B', '-', 'R', '\r', '\n'};
      return;
    }
    if (produced_ < kStreamSize) ++testsStarted_;
    char text[48];
    const int length = std::snprintf(text, sizeof text, "%c Badanie %d\r\n", kTestByte, testsStarted_);
    pending_.assign(text, text + length);
    for (int i = 0; i < 200; ++i) {
      state_ ^= state_ << 13;
      state_ ^= state_ >> 7;
      state_ ^= state_ << 17;
      const auto byte = static_cast<std::uint8_t>(state_);
      pending_.push_back(byte == kTestByte ? 0x18 : byte);
    }
  }

  Bytes pending_;
  std::size_t at_ = 0;
  std::size_t produced_ = 0;
  int testsStarted_ = 0;
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

// Counts what the loop reports instead of recording it.
class CountingView : public IReceiveView {
 public:
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int position) override { lastPosition = position; }
  void SetStatusText(const std::string&) override { ++statusTexts; }
  void PostTransferEnd() override { ++ends; }

  std::atomic<int> lastPosition{0};
  std::atomic<int> statusTexts{0};
  std::atomic<int> ends{0};
};

std::size_t PeakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

TEST(HundredMebibyteStream, ArrivesExactlyAndFitsInThreeTimesItsSize) {
  testkit::IsolatedHome home;
  testkit::PseudoTerminal pty;
  ASSERT_TRUE(pty.Ok()) << pty.Error();
  testkit::BusyLinePort port;
  port.StayBusyUntil(kStreamSize);
  port.SetTimeoutDefaults(0, 0, 200, 0, 2);
  ASSERT_TRUE(port.OpenDevice(pty.SlavePath(), 19200)) << DescribePortError(port.LastError());

  TransferShared shared;
  shared.running = 1;
  shared.modelIndex = kModelB;
  CountingView view;
  StreamSource source;
  std::atomic<bool> sentAll{false};
  std::thread instrument([&] {
    for (Bytes piece = source.Next(kPieceSize); !piece.empty(); piece = source.Next(kPieceSize)) {
      if (!pty.Write(piece)) {
        shared.running = 0;  // the line broke: stop rather than wait
        return;
      }
    }
    sentAll = true;
  });
  ReceiveJob job{port, shared, view, [](std::chrono::milliseconds) {}};
  ReceiveProc(job);
  instrument.join();
  port.Close();

  ASSERT_TRUE(sentAll) << "the pseudo-terminal would not take the stream";
  ASSERT_EQ(shared.buffer.size(), kStreamSize);
  StreamSource expected;
  for (std::size_t at = 0; at < kStreamSize; at += kPieceSize) {
    const Bytes piece = expected.Next(kPieceSize);
    ASSERT_EQ(std::memcmp(shared.buffer.data() + at, piece.data(), piece.size()), 0)
        << "the buffer differs in the piece at offset " << at;
  }
  EXPECT_EQ(shared.testCount, source.TestsSent());
  EXPECT_EQ(view.lastPosition, source.TestsSent());
  EXPECT_EQ(view.ends, 1);

  // The end of the transfer: the raw dump and the clean-up in place.
  ASSERT_TRUE(WriteRawDump(kModelB, shared.buffer, RealFileWriter()));
  EXPECT_EQ(std::filesystem::file_size(RawDumpPath(kModelB)), kStreamSize);
  const std::size_t cleaned = ConvertBuffer(shared.buffer, kModelB, 3, 1);
  EXPECT_GT(cleaned, kStreamSize / 4);
  EXPECT_LT(cleaned, kStreamSize);

  EXPECT_LT(PeakResidentBytes(), 3 * kStreamSize) << "peak resident memory";
}

}  // namespace
}  // namespace zv
