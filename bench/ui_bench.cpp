// The dialog's event loop during a transfer at 19,200 baud: a timer ticks
// every millisecond on the UI thread and the longest gap between two ticks
// is the longest stall. The real dialog runs the whole transfer (Start, the
// worker with the real port on a pseudo-terminal, the progress and status
// updates, the end with the raw dump and the clean-up pass) while a writer
// thread plays a ZORVEL B report into the line at the line's own pace.
//
// The same dialog, shown and idle for as long, gives the gaps the machine
// itself causes (other programs taking the core): the limit column.
//
// Settings and raw dumps go to a private temporary folder.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "kit/bench_kit.h"
#include "kit/pty.h"
#include "res/resource.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "transfer/receive.h"
#include "ui/qt/reader_dlg.h"
#include "zvsim/report_generator.h"

namespace zv::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBytesPerSecond = 19200.0 / 10;  // 8 data bits, start and stop bit
constexpr std::chrono::milliseconds kWritePace{2};
constexpr int kBaud19200Entry = 2;

// How long the calling thread has waited for a core while ready to run
// (the kernel's run delay), from the thread's schedstat; zero where the
// system does not tell.
class RunDelay {
 public:
  RunDelay() : fd_(open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {}
  ~RunDelay() {
    if (fd_ >= 0) close(fd_);
  }
  RunDelay(const RunDelay&) = delete;
  RunDelay& operator=(const RunDelay&) = delete;

  Clock::duration Now() const {
    char text[128] = {};
    if (fd_ < 0 || pread(fd_, text, sizeof text - 1, 0) <= 0) return {};
    unsigned long long running = 0;
    unsigned long long waiting = 0;
    if (std::sscanf(text, "%llu %llu", &running, &waiting) != 2) return {};
    return std::chrono::nanoseconds(waiting);
  }

 private:
  int fd_;
};

// Gaps between the ticks of a 1 ms timer on the UI thread. A gap's own
// part leaves out the time the thread was ready but waited for a core,
// which other programs on the machine cause; what remains is the thread's
// own work and its blocking calls.
class TickWatch {
 public:
  TickWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const auto now = Clock::now();
      const auto delay = runDelay_.Now();
      if (last_) {
        const auto gap = now - *last_;
        const auto own = gap - std::min<Clock::duration>(gap, delay - lastDelay_);
        longest_ = std::max(longest_, gap);
        longestOwn_ = std::max(longestOwn_, own);
        if (gap > kNotable) notable_.push_back({*last_, gap, own});
      }
      last_ = now;
      lastDelay_ = delay;
    });
  }
  // A gap worth naming, from the tick before it.
  struct Gap {
    Clock::time_point from;
    Clock::duration length;
    Clock::duration own;
  };
  static constexpr std::chrono::milliseconds kNotable{8};

  void Start() {
    last_.reset();
    longest_ = {};
    longestOwn_ = {};
    notable_.clear();
    timer_.start(1);
  }
  void Stop() { timer_.stop(); }
  double LongestSeconds() const { return std::chrono::duration<double>(longest_).count(); }
  double LongestOwnSeconds() const { return std::chrono::duration<double>(longestOwn_).count(); }
  const std::vector<Gap>& Notable() const { return notable_; }

 private:
  QTimer timer_;
  std::optional<Clock::time_point> last_;
  Clock::duration longest_{};
  Clock::duration longestOwn_{};
  Clock::duration lastDelay_{};
  RunDelay runDelay_;
  std::vector<Gap> notable_;
};

// "12.3 ms (own 1.2 ms) at 4.56 s, ..." for the gaps counted from `start`.
std::string Describe(const std::vector<TickWatch::Gap>& gaps, Clock::time_point start) {
  std::string text;
  for (const TickWatch::Gap& gap : gaps) {
    if (!text.empty()) text += ", ";
    text += Millis(std::chrono::duration<double>(gap.length).count()) + " (own " +
            Millis(std::chrono::duration<double>(gap.own).count()) + ") at " +
            Fixed(std::chrono::duration<double>(gap.from - start).count(), 2) + " s";
  }
  return text.empty() ? "none" : text;
}

// Runs the event loop for `duration`.
void RunFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(duration.count()), &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until `done` holds (checked every 10 ms) or `limit`
// passes; false on the limit.
bool RunUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
  QEventLoop loop;
  QTimer check;
  const auto deadline = Clock::now() + limit;
  bool reached = false;
  QObject::connect(&check, &QTimer::timeout, [&] {
    reached = done();
    if (reached || Clock::now() > deadline) loop.quit();
  });
  check.start(10);
  loop.exec();
  return reached;
}

// Plays `bytes` into the master at the line's pace until done or stopped.
void Play(testkit::PseudoTerminal& line, const std::vector<std::uint8_t>& bytes,
          const std::atomic<bool>& stop) {
  const auto start = Clock::now();
  std::size_t sent = 0;
  while (sent < bytes.size() && !stop) {
    std::this_thread::sleep_for(kWritePace);  // pacing a simulated line
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const auto due = std::min(bytes.size(), static_cast<std::size_t>(elapsed * kBytesPerSecond));
    if (due > sent && !line.Write(bytes.data() + sent, due - sent)) return;
    sent = std::max(sent, due);
  }
}

// The longest gap that ended within `window` after `moment`: the stall
// of whatever the UI thread did at that moment.
double GapAround(const std::vector<TickWatch::Gap>& gaps, Clock::time_point moment,
                 Clock::duration window) {
  Clock::duration longest{};
  for (const TickWatch::Gap& gap : gaps) {
    const auto end = gap.from + gap.length;
    if (end >= moment - window && gap.from <= moment) longest = std::max(longest, gap.length);
  }
  return std::chrono::duration<double>(longest).count();
}

// Times of writing `bytes` the way the end of a transfer writes the raw
// dump (atomically, synced to disk), next to the real dump: sorted wall
// times, and sorted times less the waits for a core.
struct WriteTimes {
  std::vector<double> wall;
  std::vector<double> own;
};
WriteTimes TimeRawDumpWrites(const std::vector<std::uint8_t>& bytes, int times) {
  WriteTimes result;
  const RunDelay runDelay;
  const std::filesystem::path path = RawDumpFolder() / "bench-write.tmp";
  for (int i = 0; i < times; ++i) {
    const auto start = Clock::now();
    const auto delay = runDelay.Now();
    RealFileWriter().WriteAtomic(path, bytes, Owner::Program);
    const auto wall = Clock::now() - start;
    result.wall.push_back(std::chrono::duration<double>(wall).count());
    result.own.push_back(std::chrono::duration<double>(wall - (runDelay.Now() - delay)).count());
  }
  std::sort(result.wall.begin(), result.wall.end());
  std::sort(result.own.begin(), result.own.end());
  return result;
}

struct Home {
  std::filesystem::path root;
  ~Home() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
};

void WriteSettings(const std::string& slavePath) {
  const std::filesystem::path file = SettingsFilePath();
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "[Settings]\nDevice=1\nCom=0\n[Ports]\nCOM1=" << slavePath << "\n";
}

}  // namespace
}  // namespace zv::bench

int main(int argc, char** argv) {
  using namespace zv;
  using namespace zv::bench;
  char folder[] = "/tmp/zvbench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  Home home{folder};
  setenv("XDG_CONFIG_HOME", (home.root / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home.root / "data").c_str(), 1);
  QApplication app(argc, argv);

  testkit::PseudoTerminal line;
  if (!line.Ok()) {
    std::fprintf(stderr, "ui_bench: %s\n", line.Error().c_str());
    return 1;
  }
  WriteSettings(line.SlavePath());
  sim::ReportSpec recipe;
  recipe.modelIndex = kModelB;
  recipe.deviceCode = kCodeMazovia;
  const sim::SizedReport report = sim::MakeReportOfSize(recipe, 20000);
  const double playSeconds = static_cast<double>(report.bytes.size()) / kBytesPerSecond;

  CReaderDlg::Prompts prompts;
  prompts.showMessage = [](const QString& text) {
    std::fprintf(stderr, "ui_bench: the dialog says: %s\n", text.toUtf8().constData());
  };
  prompts.chooseSaveFile = [](const QString&, const QString&) {
    return std::optional<SaveFileChoice>();
  };
  CReaderDlg dialog({}, prompts, Language::English);
  dialog.show();
  RunFor(std::chrono::milliseconds(500));  // shown and settled

  TickWatch ticks;
  const auto idleTime = std::chrono::milliseconds(static_cast<int>(playSeconds * 1000) + 1500);
  ticks.Start();
  const auto idleStart = Clock::now();
  RunFor(idleTime);
  ticks.Stop();
  const double idleGap = ticks.LongestSeconds();
  const double idleOwn = ticks.LongestOwnSeconds();
  const std::string idleGaps = Describe(ticks.Notable(), idleStart);

  qobject_cast<QComboBox*>(dialog.Control(IDC_BAUD))->setCurrentIndex(kBaud19200Entry);
  std::atomic<bool> stop{false};
  ticks.Start();
  const auto start = Clock::now();
  qobject_cast<QPushButton*>(dialog.Control(IDC_START))->click();
  std::thread writer([&] { Play(line, report.bytes, stop); });
  auto& control = dialog.transferControl();
  std::optional<Clock::time_point> endHandled;
  const bool ended = RunUntil(
      [&] {
        if (control.State() != TransferState::Idle) return false;
        endHandled = Clock::now();
        return true;
      },
      std::chrono::seconds(static_cast<int>(playSeconds) + 30));
  RunFor(std::chrono::milliseconds(200));  // the end's own updates
  ticks.Stop();
  const double transferSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  stop = true;
  writer.join();
  const double transferGap = ticks.LongestSeconds();
  const double transferOwn = ticks.LongestOwnSeconds();
  const std::size_t received = control.buffer().size();

  constexpr double kFrame = 0.016;
  Row row{"Longest UI stall, 19,200-baud transfer (" + Fixed(transferSeconds, 1) + " s, " +
              std::to_string(report.tests) + " tests)",
          Millis(transferGap), "idle dialog " + Millis(idleGap), transferGap / idleGap,
          "<= 16 ms", ended && received > 0 && transferGap <= kFrame};
  PrintRow(row);
  PrintRow({"Longest UI stall, same transfer, less waiting for a core", Millis(transferOwn),
            "idle dialog " + Millis(idleOwn), idleOwn > 0 ? transferOwn / idleOwn : 0, "<= 16 ms",
            ended && received > 0 && transferOwn <= kFrame});
  if (!ended) PrintNote("The UI transfer did not end: the stall figure covers a stuck transfer.");
  if (received == 0) PrintNote("The UI transfer received nothing.");
  PrintNote("UI transfer: " + std::to_string(report.bytes.size()) + " bytes sent, " +
            std::to_string(received) + " left after the clean-up pass; end handled at " +
            (endHandled ? Fixed(std::chrono::duration<double>(*endHandled - start).count(), 2) + " s"
                        : std::string("never")) +
            ".");
  if (endHandled) {
    PrintNote("UI stall around the end handling (join, raw dump, clean-up pass): " +
              Millis(GapAround(ticks.Notable(), *endHandled, std::chrono::milliseconds(50))) +
              " (0 when under 8 ms).");
  }
  const WriteTimes writes = TimeRawDumpWrites(report.bytes, 7);
  PrintNote("Writing the " + std::to_string(report.bytes.size()) +
            "-byte raw dump atomically with fsync on the calling thread: median " +
            Millis(writes.wall[3]) + ", longest " + Millis(writes.wall.back()) +
            " of 7; less waiting for a core: median " + Millis(writes.own[3]) + ", longest " +
            Millis(writes.own.back()) + ".");
  PrintNote("UI gaps over 8 ms, transfer: " + Describe(ticks.Notable(), start) +
            "; idle: " + idleGaps + ".");
  return ended && received > 0 ? 0 : 1;
}
