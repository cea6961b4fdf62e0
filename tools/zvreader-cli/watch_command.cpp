#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/file_io.h"
#include "support/paths.h"
#include "support/port_map.h"
#include "support/rs232.h"
#include "transfer/archive.h"
#include "transfer/receive.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/json_writer.h"
#include "zvreader-cli/progress_view.h"
#include "zvreader-cli/receive_run.h"
#include "zvreader-cli/stop_request.h"

namespace zv::cli {
namespace {

namespace fs = std::filesystem;

// How long a port that cannot be opened, or that failed, is left alone
// before the next try.
constexpr std::chrono::seconds kRetryInterval{3};
constexpr const char* kRetrying = "trying again every 3 seconds.";

// What the line on standard output says of one transfer.
struct Filed {
  std::string time;  // "2026-12-08 10:15:03"
  std::size_t bytes = 0;
  std::optional<std::int64_t> expected;  // nothing when no header came
  int counted = 0;
  bool stopped = false;
  std::optional<std::string> archiveFile;
  std::optional<std::string> textFile;
  bool garbled = false;
};

std::string Line(const Filed& filed) {
  std::string line = filed.time + "  " + std::to_string(filed.counted) + " of " +
                     (filed.expected ? std::to_string(*filed.expected) : "?") + " tests  " +
                     std::to_string(filed.bytes) + " bytes  " +
                     filed.textFile.value_or("(no text written)");
  if (filed.garbled) line += " (garbled)";
  return filed.stopped ? line + " (stopped)" : line;
}

std::string Json(const Filed& filed, int modelIndex) {
  return JsonObject()
      .Add("time", filed.time)
      .Add("model", ModelName(modelIndex))
      .Add("bytes_received", static_cast<std::int64_t>(filed.bytes))
      .Add("expected_tests", filed.expected)
      .Add("counted_tests", filed.counted)
      .Add("stopped", filed.stopped)
      .Add("archive_file", filed.archiveFile)
      .Add("text_file", filed.textFile)
      .Add("garbled", filed.garbled)
      .Text();
}

// Listens on one port and files each transfer: the raw dump and the
// archive as the dialog keeps them, the text in the folder given. The
// port's state goes to standard error, one line per change.
class Watcher {
 public:
  Watcher(const CliOptions& options, Console& console) : options_(options), console_(console) {}

  int Run() {
    while (!StopRequested()) {
      if (!port_.IsOpen() && !Open()) {
        if (WaitForStopRequest(kRetryInterval)) break;
        continue;
      }
      if (!ReceiveOne()) return kExitFailure;
      if (PortGone()) {
        Say("The port " + PortName() + " stopped working (unplugged?): " + kRetrying);
        port_.Close();
        unavailable_ = true;
        if (WaitForStopRequest(kRetryInterval)) break;
      }
    }
    port_.Close();
    console_.err << "The watch has ended." << std::endl;
    return kExitOk;
  }

 private:
  void Say(const std::string& state) {
    if (state == lastState_) return;
    console_.err << state << std::endl;
    lastState_ = state;
  }

  std::string PortName() const {
    const std::string device = port_.Device();
    if (device.empty() || device == options_.portText) return options_.portText;
    return options_.portText + " (" + device + ")";
  }

  // The device failed, or its name, there when the port was opened, has
  // gone from the system (some drivers let the reads of an unplugged
  // adapter time out rather than fail). A name the system does not list
  // even while the port is open says nothing.
  bool PortGone() const {
    return port_.Failed() || (listedAtOpen_ && !PortDevicePresent(port_.Device()));
  }

  bool Open() {
    if (!OpenPort(port_, options_)) {
      Say(DescribePortError(port_.LastError()) + " The watch goes on, " + kRetrying);
      unavailable_ = true;
      return false;
    }
    const std::string how = " at " + std::to_string(options_.Baud()) + " baud for ZORVEL " +
                            std::string(ModelName(options_.modelIndex)) + ".";
    Say(unavailable_ ? "The port " + PortName() + " is back: listening" + how
                     : "Listening on " + PortName() + how + " Ctrl-C ends the watch.");
    unavailable_ = false;
    listedAtOpen_ = PortDevicePresent(port_.Device());
    return true;
  }

  // One transfer, or the wait for one until a stop or the port's failure.
  // False when no worker could be started.
  bool ReceiveOne() {
    TransferShared shared;
    ProgressView view(console_.err, console_.terminal);
    // Before the header the loop would wait on a vanished port for ever.
    const auto stopWanted = [&] { return StopRequested() || (!shared.headerSeen && PortGone()); };
    const Ending ending =
        ReceiveTransfer(port_, shared, view, options_.modelIndex, stopWanted, console_);
    view.Finish();
    if (ending == Ending::NoWorker) return false;
    if (!shared.buffer.empty()) File(shared, ending == Ending::Stopped);
    return true;
  }

  void File(TransferShared& shared, bool stopped) {
    std::vector<std::uint8_t>& bytes = shared.buffer;
    const int model = options_.modelIndex;
    const KeptBytes kept = KeepAndReport(model, bytes, archive_, console_);
    std::optional<ArchivedTransfer> archived;
    if (kept.archived.result) archived = ParseArchiveName(kept.archived.file);
    if (!archived)
      archived = ArchivedTransfer{{}, ArchiveStamp(std::chrono::system_clock::now()), model, 1};

    Filed filed{archived->Time(), bytes.size(), std::nullopt, shared.testCount, stopped, {}, {}};
    if (shared.headerSeen) filed.expected = shared.expectedCount.load();
    if (kept.archived.result) filed.archiveFile = Utf8FromPath(kept.archived.file);
    // Judged before the clean-up rewrites the bytes.
    const TransferFacts facts = FactsOf(shared, stopped, options_);
    const TransferReview review = ReviewTransfer(bytes, facts);
    filed.garbled = review.garbled;
    MakeText(bytes, model, options_);
    const fs::path text = TextPath(archived->stamp, shared.testCount);
    if (const FileResult written = RealFileWriter().WriteAtomic(text, bytes, Owner::User); written) {
      filed.textFile = Utf8FromPath(text);
    } else {
      console_.err << "zvreader-cli: cannot write " << Utf8FromPath(text) << ": " << written.reason
                   << std::endl;
    }
    console_.out << (options_.json ? Json(filed, model) : Line(filed)) << std::endl;
    ReportReview(review, facts, console_);
  }

  // "<stamp>_ZVB_<n>tests.txt" (".pdf" for a PDF) in the folder given,
  // with "_2", "_3" ... should that name be taken already.
  fs::path TextPath(const std::string& stamp, int tests) const {
    const std::string stem = stamp + "_" + ModelTag(options_.modelIndex) + "_" +
                             std::to_string(tests) + "tests";
    const char* extension = options_.targetSelection == kTargetPdf ? ".pdf" : ".txt";
    const fs::path folder = PathFromUtf8(options_.outDir);
    fs::path path = folder / (stem + extension);
    std::error_code error;
    for (int n = 2; fs::exists(fs::symlink_status(path, error)); ++n) {
      path = folder / (stem + "_" + std::to_string(n) + extension);
    }
    return path;
  }

  const CliOptions& options_;
  Console& console_;
  CRS232 port_;
  TransferArchive archive_;
  std::string lastState_;
  bool unavailable_ = false;   // the port was missing or failed since it was last open
  bool listedAtOpen_ = false;  // the system listed the port's name when it was opened
};

}  // namespace

int RunWatch(const CliOptions& options, Console& console) {
  InstallStopRequestHandlers();
  if (const FileResult folder = EnsureFolder(PathFromUtf8(options.outDir), Owner::User); !folder) {
    console.err << "zvreader-cli: cannot use the folder " << options.outDir << ": "
                << folder.reason << std::endl;
    return kExitFailure;
  }
  const int status = Watcher(options, console).Run();
  StopRequestDone();
  return status;
}

}  // namespace zv::cli
