// The device vanishes (its pseudo-terminal's master side closes) during a
// transfer or before the header. The transfer ends with every byte that
// was received kept and dumped, the window returns to idle, and waiting on
// a dead line never turns into a busy loop: the worker's CPU time stays
// far below the time it runs.

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kit/busy_line_port.h"
#include "kit/convert_reference.h"
#include "kit/fake_dialog_view.h"
#include "kit/pty.h"
#include "kit/recording_view.h"
#include "kit/temp_env.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/rs232.h"
#include "transfer/receive.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testkit::PseudoTerminal;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kPatience = 20s;  // only a safety net against hanging
// A worker waiting on a dead line may use at most this share of a core.
constexpr double kMaxCpuShare = 0.25;

std::chrono::nanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// CPU and wall time of a body run on the calling thread.
struct Usage {
  std::chrono::nanoseconds cpu{0};
  std::chrono::nanoseconds wall{0};
  double Share() const { return wall.count() > 0 ? double(cpu.count()) / wall.count() : 1.0; }
};

Usage Measure(const std::function<void()>& body) {
  const auto cpu = ThreadCpuTime();
  const auto wall = Clock::now();
  body();
  return {ThreadCpuTime() - cpu, Clock::now() - wall};
}

// The real port, telling the test how many bytes and reads it has seen.
// A test that sends a stream keeps the line busy until it has been read,
// so a short read time-out cannot end the transfer before the device
// vanishes.
class WatchedPort : public testkit::BusyLinePort {
 public:
  int Read(DWORD max, BYTE* buffer, DWORD* count) override {
    const int result = BusyLinePort::Read(max, buffer, count);
    {
      std::lock_guard lock(mutex_);
      ++reads_;
      bytes_ += *count;
    }
    changed_.notify_all();
    return result;
  }

  bool WaitForBytes(std::size_t bytes) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return bytes_ >= bytes; });
  }
  // Waits for `more` reads after the ones made so far.
  bool WaitForMoreReads(int more) {
    std::unique_lock lock(mutex_);
    const int target = reads_ + more;
    return changed_.wait_for(lock, kPatience, [&] { return reads_ >= target; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int reads_ = 0;
  std::size_t bytes_ = 0;
};

// ZORVEL B: `tests` tests announced and sent, Polish letters and escapes.
std::string StreamB(int tests) {
  std::string stream = {'\x1b', '@', static_cast<char>(tests), 'Z', 'V', 'B', '-', 'R', '\r', '\n'};
  for (int n = 1; n <= tests; ++n) {
    stream += "\x19\x1b" "E Badanie " + std::to_string(n) + " \x9d\xa5\r\nFVC 4.1 l\r\n";
  }
  return stream;
}

// ZORVEL A: header digits at offsets 7 and 8, a marker per test.
std::string StreamA(int tests) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", tests);
  std::string stream = std::string("ZVA-RPT") + digits + "\r\n";
  for (int n = 1; n <= tests; ++n) {
    stream += "Number " + std::to_string(n) + "   FVC 4.1 l  FEV1 3.2 l\r\n";
  }
  return stream;
}

// The receive loop run directly on a thread, on a real port with a short
// read time-out.
class DirectReceive : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << pty_.Error();
    port_.SetTimeoutDefaults(0, 0, 100, 0, 2);
    ASSERT_TRUE(port_.OpenDevice(pty_.SlavePath(), 9600)) << DescribePortError(port_.LastError());
  }

  void Start(int model) {
    shared_.running = 1;
    shared_.modelIndex = model;
    worker_ = std::thread([this] {
      ReceiveJob job{port_, shared_, view_, [](std::chrono::milliseconds) {}};
      usage_ = Measure([&] { ReceiveProc(job); });
    });
  }

  void Join() {
    if (worker_.joinable()) worker_.join();
  }

  void TearDown() override {
    shared_.running = 0;
    Join();
  }

  std::string Buffer() const { return {shared_.buffer.begin(), shared_.buffer.end()}; }

  PseudoTerminal pty_;
  WatchedPort port_;
  TransferShared shared_;
  testkit::RecordingView view_;
  std::thread worker_;
  Usage usage_;
};

struct Vanish {
  const char* name;
  int model;
  std::string stream;
  int tests;
};

void PrintTo(const Vanish& v, std::ostream* out) { *out << v.name; }

class VanishMidTransfer : public DirectReceive, public testing::WithParamInterface<Vanish> {};

TEST_P(VanishMidTransfer, EndsTheTransferKeepingEveryByteWithoutSpinning) {
  const Vanish& v = GetParam();
  port_.StayBusyUntil(v.stream.size());
  Start(v.model);
  ASSERT_TRUE(pty_.Write(v.stream));
  ASSERT_TRUE(port_.WaitForBytes(v.stream.size()));
  pty_.CloseMaster();

  ASSERT_TRUE(view_.WaitForEnd(kPatience)) << "the transfer did not end";
  Join();
  EXPECT_EQ(Buffer(), v.stream);
  EXPECT_EQ(shared_.testCount, v.tests);
  EXPECT_EQ(view_.EndCount(), 1);
  EXPECT_LT(usage_.Share(), kMaxCpuShare) << "cpu " << usage_.cpu.count() << " ns of "
                                          << usage_.wall.count() << " ns";
}

INSTANTIATE_TEST_SUITE_P(Faults, VanishMidTransfer,
                         testing::Values(Vanish{"ZorvelA", kModelA, StreamA(12) + "tail", 12},
                                         Vanish{"ZorvelB", kModelB, StreamB(30), 30}));

// Before the header the loop keeps waiting on the dead line, at the pace
// of its read time-out, until Stop; the bytes that came are kept.
TEST_F(DirectReceive, VanishingBeforeTheHeaderWaitsWithoutSpinningUntilStop) {
  Start(kModelB);
  ASSERT_TRUE(pty_.Write("\x1b@\x05ZV"));
  ASSERT_TRUE(port_.WaitForBytes(5));
  pty_.CloseMaster();

  ASSERT_TRUE(port_.WaitForMoreReads(5));
  EXPECT_EQ(view_.EndCount(), 0) << "gave up waiting by itself";
  shared_.running = 0;
  ASSERT_TRUE(view_.WaitForEnd(kPatience));
  Join();
  EXPECT_EQ(Buffer(), "\x1b@\x05ZV");
  EXPECT_FALSE(shared_.headerSeen);
  EXPECT_LT(usage_.Share(), kMaxCpuShare) << "cpu " << usage_.cpu.count() << " ns of "
                                          << usage_.wall.count() << " ns";
}

TEST_F(DirectReceive, VanishingBeforeAnyByteWaitsWithoutSpinningUntilStop) {
  Start(kModelA);
  ASSERT_TRUE(port_.WaitForMoreReads(1));
  pty_.CloseMaster();

  ASSERT_TRUE(port_.WaitForMoreReads(5));
  EXPECT_EQ(view_.EndCount(), 0) << "gave up waiting by itself";
  shared_.running = 0;
  ASSERT_TRUE(view_.WaitForEnd(kPatience));
  Join();
  EXPECT_TRUE(shared_.buffer.empty());
  EXPECT_LT(usage_.Share(), kMaxCpuShare) << "cpu " << usage_.cpu.count() << " ns of "
                                          << usage_.wall.count() << " ns";
}

// The whole dialog side: the port as OpenPort sets it up (1 s read
// time-out), the worker thread of the transfer control, and the end
// command handled as the window would.
class DialogTransfer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << pty_.Error();
    testkit::WriteFileText(SettingsFilePath(), "[Ports]\nCOM1=" + pty_.SlavePath() + "\n");
    view_.CheckModel(kModelB);
    TransferEnvironment env;
    env.makePort = [this] {
      auto port = std::make_unique<WatchedPort>();
      port_ = port.get();
      return port;
    };
    env.sleep = [](std::chrono::milliseconds) {};
    env.startWorker = [this](WorkerThread& worker, std::function<void()> body) {
      return worker.Start([this, body = std::move(body)] { usage_ = Measure(body); });
    };
    control_ = std::make_unique<TransferControl>(view_, std::move(env));
  }

  void Start() {
    control_->OnStartStop();
    ASSERT_EQ(control_->State(), TransferState::Transferring);
    ASSERT_NE(port_, nullptr);
  }

  void DeliverEnd() {
    ASSERT_TRUE(view_.TakeTransferEnd(kPatience)) << "no end command";
    control_->OnTransferEnd();
  }

  void ExpectIdleAfterTransfer() {
    EXPECT_EQ(control_->State(), TransferState::Idle);
    EXPECT_EQ(view_.ButtonText(IDC_START), "START");
    EXPECT_TRUE(view_.ButtonEnabled(IDOK));
    EXPECT_FALSE(control_->port()->IsOpen()) << "the port was not released";
    EXPECT_TRUE(view_.Messages().empty());
    EXPECT_LT(usage_.Share(), kMaxCpuShare) << "cpu " << usage_.cpu.count() << " ns of "
                                            << usage_.wall.count() << " ns";
  }

  testkit::IsolatedHome home_;
  PseudoTerminal pty_;
  testkit::FakeDialogView view_;
  WatchedPort* port_ = nullptr;
  Usage usage_;
  std::unique_ptr<TransferControl> control_;
};

TEST_F(DialogTransfer, DeviceVanishingMidTransferKeepsAndDumpsEveryByte) {
  const std::string stream = StreamB(20);
  ASSERT_NO_FATAL_FAILURE(Start());
  port_->StayBusyUntil(stream.size());
  ASSERT_TRUE(pty_.Write(stream));
  ASSERT_TRUE(port_->WaitForBytes(stream.size()));
  pty_.CloseMaster();
  ASSERT_NO_FATAL_FAILURE(DeliverEnd());

  ExpectIdleAfterTransfer();
  EXPECT_TRUE(view_.ButtonEnabled(IDC_SAVE));
  EXPECT_EQ(testkit::ReadFileText(RawDumpPath(kModelB)), stream);
  EXPECT_EQ(control_->buffer(),
            testkit::ReferenceConvert(Bytes(stream.begin(), stream.end()), kModelB, 2, 0));
}

TEST_F(DialogTransfer, DeviceVanishingBeforeTheHeaderWaitsForStopAndKeepsThePart) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(pty_.Write("\x1b@\x05"));
  ASSERT_TRUE(port_->WaitForBytes(3));
  pty_.CloseMaster();
  ASSERT_TRUE(port_->WaitForMoreReads(1));
  EXPECT_EQ(view_.TransferEndsPosted(), 0) << "gave up waiting by itself";

  control_->OnStartStop();  // Stop
  ASSERT_NO_FATAL_FAILURE(DeliverEnd());
  ExpectIdleAfterTransfer();
  EXPECT_EQ(testkit::ReadFileText(RawDumpPath(kModelB)), "\x1b@\x05");
}

}  // namespace
}  // namespace zv
