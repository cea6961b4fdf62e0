// The receive loop end to end: a real serial port on a pseudo-terminal,
// with a thread playing the instrument on the master side. Once the
// header has begun, the line stays busy until the whole stream has been
// read, so a writer thread the machine leaves waiting for longer than the
// short read time-out cannot end the transfer early.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kit/busy_line_port.h"
#include "kit/pty.h"
#include "kit/recording_view.h"
#include "res/resource.h"
#include "support/rs232.h"
#include "support/strings.h"
#include "transfer/receive.h"

namespace zv {
namespace {

using std::chrono::milliseconds;
using testkit::PseudoTerminal;
using testkit::RecordingView;

constexpr milliseconds kGenerous{10000};

// The real port, telling the instrument thread when each Read starts.
class ObservedPort : public testkit::BusyLinePort {
 public:
  int Read(DWORD max, BYTE* buffer, DWORD* count) override {
    {
      std::lock_guard lock(mutex_);
      ++reads_;
    }
    started_.notify_all();
    return BusyLinePort::Read(max, buffer, count);
  }

  bool WaitForReads(int reads) {
    std::unique_lock lock(mutex_);
    return started_.wait_for(lock, kGenerous, [&] { return reads_ >= reads; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable started_;
  int reads_ = 0;
};

std::string EveryByteValue(bool withoutTestByte) {
  std::string bytes;
  for (int value = 0; value < 256; ++value) {
    if (!(withoutTestByte && value == 0x19)) {
      bytes.push_back(static_cast<char>(value));
    }
  }
  return bytes;
}

std::string Numbered(const char* format, int n) {
  char text[64];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

// ZORVEL A: 0x28 = 40 tests announced and sent; the first record also
// carries every byte value, zero bytes included.
std::string StreamA(int tests) {
  std::string stream = "ZVA-RPT" + Numbered("%02X", tests) + "\n";
  for (int n = 1; n <= tests; ++n) {
    stream += Numbered("Number: %04d\r\nFVC 4.10 FEV1 3.20\r\n", n);
    if (n == 1) stream += EveryByteValue(false);
  }
  return stream + "\x1B" "d\x03";
}

// ZORVEL B: byte 2 announces the count; a count of 25 is itself 0x19.
std::string StreamB(int tests) {
  std::string stream = {'\x1B', '@', static_cast<char>(tests), 'Z', 'V',
                        'B', '\x19', 'R', '\r', '\n'};
  for (int n = 1; n <= tests; ++n) {
    stream += Numbered("\x19" "Badanie %d\r\nVC 4.0\r\n", n);
    if (n == 1) stream += EveryByteValue(true);
  }
  return stream;
}

// Uneven pieces: 4 bytes of the header, then sizes cycling through
// 1, 7, 63, 64, 65, 130 and 3.
std::vector<std::string> Pieces(const std::string& stream) {
  static constexpr std::size_t kSizes[] = {1, 7, 63, 64, 65, 130, 3};
  std::vector<std::string> pieces = {stream.substr(0, 4)};
  for (std::size_t at = 4, i = 0; at < stream.size(); ++i) {
    const std::size_t size = kSizes[i % std::size(kSizes)];
    pieces.push_back(stream.substr(at, size));
    at += size;
  }
  return pieces;
}

struct Received {
  std::string buffer;
  int expected = 0;
  int tests = 0;
  std::vector<std::string> statusTexts;
  int ends = 0;
};

Received ReceiveOverPty(const std::string& stream, int model) {
  PseudoTerminal pty;
  ObservedPort port;
  port.SetTimeoutDefaults(0, 0, 100, 0, 2);
  if (!pty.Ok() || port.OpenDevice(pty.SlavePath(), 9600) == 0) {
    ADD_FAILURE() << "no pseudo-terminal to read: " << pty.Error()
                  << DescribePortError(port.LastError());
    return {};
  }

  TransferShared shared;
  shared.running = 1;
  shared.modelIndex = model;
  RecordingView view;

  std::thread instrument([&] {
    const std::vector<std::string> pieces = Pieces(stream);
    // Part of the header, then at least one more read: before the header
    // is complete a silent read only means waiting.
    bool sent = port.WaitForReads(1) && pty.Write(pieces.front()) &&
                port.WaitForReads(3);
    port.StayBusyUntil(stream.size());
    for (std::size_t i = 1; sent && i < pieces.size(); ++i) {
      sent = pty.Write(pieces[i]);
    }
    // Should anything have gone wrong, press Stop rather than hang.
    if (!sent || !view.WaitForEnd(kGenerous)) shared.running = 0;
  });
  ReceiveJob job{port, shared, view, {}};
  ReceiveProc(job);
  instrument.join();

  return {std::string(shared.buffer.begin(), shared.buffer.end()),
          shared.expectedCount, shared.testCount, view.StatusTexts(),
          view.EndCount()};
}

std::vector<std::string> ExpectedTexts(int tests, int expected) {
  std::vector<std::string> texts = {LoadStringA(IDS_WAITING)};
  for (int n = 1; n <= tests; ++n) {
    texts.push_back(FormatTransmitted(n, expected));
  }
  return texts;
}

class ReceiveOverPseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override { SetUiLanguage(Language::English); }
  void TearDown() override { ClearUiLanguage(); }
};

TEST_F(ReceiveOverPseudoTerminal, ZorvelAStreamArrivesWholeAndCounted) {
  const std::string stream = StreamA(40);
  const Received got = ReceiveOverPty(stream, kModelA);

  EXPECT_EQ(got.buffer, stream);
  EXPECT_EQ(got.expected, 40);
  EXPECT_EQ(got.tests, 40);
  EXPECT_EQ(got.statusTexts, ExpectedTexts(40, 40));
  EXPECT_EQ(got.statusTexts.back(), "Transmited test: 40 / 40");
  EXPECT_EQ(got.ends, 1);
}

TEST_F(ReceiveOverPseudoTerminal, ZorvelBStreamArrivesWholeAndCounted) {
  const std::string stream = StreamB(25);
  const Received got = ReceiveOverPty(stream, kModelB);

  EXPECT_EQ(got.buffer, stream);
  EXPECT_EQ(got.expected, 25);
  EXPECT_EQ(got.tests, 25);  // the header's 0x19 bytes are not tests
  EXPECT_EQ(got.statusTexts, ExpectedTexts(25, 25));
  EXPECT_EQ(got.statusTexts[1], "Transmited test: 1 / 25");
  EXPECT_EQ(got.ends, 1);
}

}  // namespace
}  // namespace zv
