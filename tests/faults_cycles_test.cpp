// A thousand Start/Stop cycles with Stop pressed at random (seeded)
// moments: at once, during the pause after DTR is raised, while a read is
// pending, racing the stream's own end (while the read of its last bytes
// or of the closing silence runs), and with Start pressed again while the
// stop is pending. Every cycle must end: the end command comes once, the
// window returns to idle, the port is released (another opener gets it),
// and the raw dump holds exactly what was received. Run under
// ThreadSanitizer too, where it looks for races between the window's
// thread and the worker.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "kit/fake_dialog_view.h"
#include "kit/pty.h"
#include "kit/scripted_port.h"
#include "kit/temp_env.h"
#include "res/resource.h"
#include "support/paths.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testkit::ScriptedPort;
using Bytes = std::vector<std::uint8_t>;

constexpr int kCycles = 1000;
constexpr unsigned kSeed = 20240611;
constexpr auto kPatience = 20s;  // only a safety net against hanging

// Keeps the files in memory: a thousand dumps need not reach the disk.
class MemoryWriter : public IFileWriter {
 public:
  FileResult WriteAtomic(const fs::path& path, std::span<const std::uint8_t> bytes,
                         Owner) override {
    std::lock_guard lock(mutex_);
    files_[path].assign(bytes.begin(), bytes.end());
    ++writes_;
    return {};
  }
  FileResult WriteNew(const fs::path& path, std::span<const std::uint8_t> bytes) override {
    return WriteAtomic(path, bytes, Owner::Program);
  }
  int Writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }
  std::optional<Bytes> File(const fs::path& path) const {
    std::lock_guard lock(mutex_);
    const auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    return found->second;
  }

 private:
  mutable std::mutex mutex_;
  std::map<fs::path, Bytes> files_;
  int writes_ = 0;
};

// The pause after DTR, made into a point where the test can act: while
// armed, the worker's pause waits until the test lets it go.
class PauseGate {
 public:
  void Arm() {
    std::lock_guard lock(mutex_);
    armed_ = true;
    inPause_ = false;
    open_ = false;
  }
  void Pause() {
    std::unique_lock lock(mutex_);
    if (!armed_) return;
    inPause_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
    armed_ = false;
  }
  bool WaitUntilPausing() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [this] { return inPause_; });
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool armed_ = false;
  bool inPause_ = false;
  bool open_ = false;
};

enum class Moment { AtOnce, DuringDtrPause, WhileReadPending, RacingTheEnd, NaturalEnd, AfterTheEndPosted };
constexpr int kMoments = 6;

Bytes Stream(int model, int tests, std::mt19937& random) {
  std::string text = model == kModelB
                         ? std::string{'\x1b', '@', static_cast<char>(tests), 'Z', 'V', 'B', '-', 'R', '\r', '\n'}
                         : std::string("ZVA-RPT") + "0" + "0123456789ABCDEF"[tests % 16] + "\r\n";
  for (int n = 1; n <= tests; ++n) {
    text += model == kModelB ? "\x19 Badanie " : "Number ";
    text += std::to_string(n) + std::string(random() % 90, '.') + "\r\n";
  }
  return {text.begin(), text.end()};
}

class StartStopCycles : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << pty_.Error();
    testkit::WriteFileText(SettingsFilePath(), "[Ports]\nCOM1=" + pty_.SlavePath() + "\n");
    TransferEnvironment env;
    env.makePort = [this] { return std::move(nextPort_); };
    env.fileWriter = &writer_;
    env.sleep = [this](std::chrono::milliseconds) { gate_.Pause(); };
    // The end handling asks for its bounded wait; the test grants the
    // worker far longer, so that "Working with threads error!" means a
    // worker that does not return, not a machine that stalled for a moment.
    env.awaitWorker = [](WorkerThread& worker, std::chrono::milliseconds limit) {
      EXPECT_EQ(limit, 550ms);
      return worker.WaitFor(kPatience);
    };
    control_ = std::make_unique<TransferControl>(view_, std::move(env));
  }

  ScriptedPort& NewPort() {
    nextPort_ = std::make_unique<ScriptedPort>();
    return *nextPort_;
  }

  // One cycle; returns the bytes the stream could have given, and whether
  // all of them must have arrived.
  void Cycle(int cycle, std::mt19937& random) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    const int model = static_cast<int>(random() % 2);
    const Bytes stream = Stream(model, 1 + static_cast<int>(random() % 5), random);
    const auto moment = static_cast<Moment>(random() % kMoments);
    const bool startAgainWhileStopping = random() % 4 == 0;
    view_.CheckModel(model);
    view_.SelectListEntry(IDC_BAUD, static_cast<int>(random() % 3));

    ScriptedPort& port = NewPort();
    const std::size_t split = kHeaderSize + random() % (stream.size() - kHeaderSize);
    const Bytes first(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(split));
    const Bytes rest(stream.begin() + static_cast<std::ptrdiff_t>(split), stream.end());
    if (moment == Moment::WhileReadPending) {
      port.Deliver(first).Hold().Deliver(rest).Silence();
    } else {
      port.Deliver(stream).Silence();
    }
    if (moment == Moment::DuringDtrPause) gate_.Arm();
    // Racing the end: Stop comes once the read of the last bytes, or the
    // read that finds the silence after them, has begun.
    const int lastBytesRead = static_cast<int>((stream.size() + kChunkSize - 1) / kChunkSize);
    const int racedRead = lastBytesRead + static_cast<int>(random() % 2);
    const int writesBefore = writer_.Writes();

    control_->OnStartStop();
    ASSERT_EQ(control_->State(), TransferState::Transferring);
    switch (moment) {
      case Moment::AtOnce:
        Stop(startAgainWhileStopping);
        break;
      case Moment::RacingTheEnd:
        ASSERT_TRUE(port.WaitForReadCalls(racedRead, kPatience));
        Stop(startAgainWhileStopping);
        break;
      case Moment::DuringDtrPause:
        ASSERT_TRUE(gate_.WaitUntilPausing());
        Stop(startAgainWhileStopping);
        gate_.Open();
        break;
      case Moment::WhileReadPending:
        ASSERT_TRUE(port.WaitUntilHeld(kPatience));
        Stop(startAgainWhileStopping);
        port.Release();
        break;
      case Moment::NaturalEnd:
        break;
      case Moment::AfterTheEndPosted:
        ASSERT_TRUE(view_.TakeTransferEnd(kPatience));
        Stop(false);
        control_->OnTransferEnd();
        break;
    }
    if (moment != Moment::AfterTheEndPosted) {
      ASSERT_TRUE(view_.TakeTransferEnd(kPatience)) << "no end command";
      control_->OnTransferEnd();
    }

    ASSERT_EQ(control_->State(), TransferState::Idle);
    EXPECT_EQ(view_.ButtonText(IDC_START), "START");
    EXPECT_TRUE(view_.ButtonEnabled(IDOK));
    ASSERT_TRUE(view_.Messages().empty()) << view_.Messages().front();
    EXPECT_FALSE(control_->port()->IsOpen()) << "the port was not closed";
    ExpectReleased();

    const std::optional<Bytes> dump = writer_.File(RawDumpPath(model));
    const bool dumped = writer_.Writes() > writesBefore;
    switch (moment) {
      case Moment::DuringDtrPause:
        EXPECT_EQ(port.ReadCalls(), 0) << "read after Stop";
        EXPECT_FALSE(dumped);
        break;
      case Moment::WhileReadPending: {
        // The pending read's bytes are kept; nothing is read after it.
        Bytes expected = first;
        expected.insert(expected.end(), rest.begin(),
                        rest.begin() + static_cast<std::ptrdiff_t>(std::min(rest.size(), kChunkSize)));
        ASSERT_TRUE(dumped && dump);
        EXPECT_EQ(*dump, expected);
        break;
      }
      case Moment::NaturalEnd:
      case Moment::AfterTheEndPosted:
      case Moment::RacingTheEnd:  // the last bytes' read was under way
        ASSERT_TRUE(dumped && dump);
        EXPECT_EQ(*dump, stream);
        break;
      case Moment::AtOnce: {
        // Whatever the reads had delivered before the stop took effect.
        const auto arrived = static_cast<std::ptrdiff_t>(port.BytesDelivered());
        EXPECT_EQ(dumped, arrived > 0) << arrived << " bytes arrived";
        if (dumped) {
          ASSERT_TRUE(dump);
          EXPECT_EQ(*dump, Bytes(stream.begin(), stream.begin() + arrived));
        }
        break;
      }
    }
    ++cyclesDone_;
    control_->OnOK();  // Done: the port object goes; the next Start makes a new one
  }

  void Stop(bool startAgain) {
    control_->OnStartStop();
    ASSERT_NE(control_->State(), TransferState::Transferring);
    if (!startAgain) return;
    control_->OnStartStop();  // ignored while the stop is pending
    if (control_->State() == TransferState::StopRequested) {
      EXPECT_EQ(view_.ButtonText(IDC_START), "STOP");
    }
  }

  // Another opener gets the device: the lock and the line were released.
  void ExpectReleased() {
    CRS232 other;
    other.SetTimeoutDefaults(0, 0, 10, 0, 2);
    EXPECT_TRUE(other.OpenDevice(pty_.SlavePath(), 9600)) << DescribePortError(other.LastError());
    other.Close();
  }

  testkit::IsolatedHome home_;
  testkit::PseudoTerminal pty_;
  testkit::FakeDialogView view_;
  MemoryWriter writer_;
  PauseGate gate_;
  std::unique_ptr<ScriptedPort> nextPort_;
  std::unique_ptr<TransferControl> control_;
  int cyclesDone_ = 0;
};

TEST_F(StartStopCycles, AThousandCyclesWithStopAtRandomMomentsAllEndCleanly) {
  std::mt19937 random(kSeed);
  for (int cycle = 0; cycle < kCycles && !HasFailure(); ++cycle) {
    Cycle(cycle, random);
  }
  EXPECT_EQ(cyclesDone_, kCycles);
  EXPECT_EQ(view_.TransferEndsPosted(), kCycles) << "an end command too many or too few";
  EXPECT_FALSE(view_.TakeTransferEnd(0ms));
}

}  // namespace
}  // namespace zv
