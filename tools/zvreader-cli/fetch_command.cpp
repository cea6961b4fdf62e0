#include <chrono>
#include <optional>
#include <string>

#include "support/file_io.h"
#include "support/paths.h"
#include "support/rs232.h"
#include "transfer/archive.h"
#include "transfer/receive.h"
#include "transfer/result_files.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/json_writer.h"
#include "zvreader-cli/progress_view.h"
#include "zvreader-cli/receive_run.h"
#include "zvreader-cli/stop_request.h"

namespace zv::cli {
namespace {

using Clock = std::chrono::steady_clock;

struct FetchResult {
  std::string device;
  std::size_t bytesReceived = 0;
  std::optional<std::int64_t> expectedTests;  // nothing before the header
  int countedTests = 0;
  bool stopped = false;
  std::optional<std::string> rawFile;
  std::optional<std::string> archiveFile;
  std::optional<std::string> outputFile;
  std::size_t outputBytes = 0;
  bool garbled = false;
};

bool TimedOut(const CliOptions& options, const TransferShared& shared, Clock::time_point start) {
  if (!options.timeoutSeconds || shared.headerSeen.load()) return false;
  return Clock::now() - start >= std::chrono::duration<double>(*options.timeoutSeconds);
}

// The raw dump of the model and its archive copy, as the dialog writes
// them, and the copy asked for. False when the dump or the copy could not
// be written; the archive only warns, as the dump holds the same bytes.
bool KeepRawBytes(const CliOptions& options, const std::vector<std::uint8_t>& bytes,
                  FetchResult& result, Console& console) {
  TransferArchive archive;
  const KeptBytes kept = KeepAndReport(options.modelIndex, bytes, archive, console);
  if (kept.dump) result.rawFile = Utf8FromPath(RawDumpPath(options.modelIndex));
  if (kept.archived.result) result.archiveFile = Utf8FromPath(kept.archived.file);
  bool ok = kept.dump.ok;
  if (!options.raw.empty()) {
    const FileResult copy =
        RealFileWriter().WriteAtomic(PathFromUtf8(options.raw), bytes, Owner::User);
    if (!copy) {
      console.err << "zvreader-cli: cannot write " << options.raw << ": " << copy.reason << std::endl;
      ok = false;
    }
  }
  return ok;
}

std::string Summary(const CliOptions& options, const FetchResult& result) {
  return JsonObject()
      .Add("model", ModelName(options.modelIndex))
      .Add("port", options.portText)
      .Add("device", result.device)
      .Add("baud", options.Baud())
      .Add("bytes_received", static_cast<std::int64_t>(result.bytesReceived))
      .Add("expected_tests", result.expectedTests)
      .Add("counted_tests", result.countedTests)
      .Add("stopped", result.stopped)
      .Add("raw_file", result.rawFile)
      .Add("output_file", result.outputFile)
      .Add("output_bytes", static_cast<std::int64_t>(result.outputBytes))
      .Add("garbled", result.garbled)
      .Text();
}

std::string Conclusion(const FetchResult& result) {
  std::string text = "Received " + std::to_string(result.bytesReceived) + " bytes, " +
                     std::to_string(result.countedTests) + " tests";
  if (result.expectedTests) text += " of " + std::to_string(*result.expectedTests) + " announced";
  if (result.stopped) text += " (stopped)";
  if (result.rawFile) text += "; raw dump: " + *result.rawFile;
  if (result.archiveFile) text += "; archive: " + *result.archiveFile;
  if (result.outputFile) text += "; text: " + *result.outputFile;
  return text + ".";
}

}  // namespace

int RunFetch(const CliOptions& options, Console& console) {
  InstallStopRequestHandlers();
  SetErrorReporter([&console](const std::string& message) { console.err << message << std::endl; });
  CRS232 port;
  if (!OpenPort(port, options)) {
    port.ReportError();
    return kExitFailure;
  }

  FetchResult result;
  result.device = port.Device();
  TransferShared shared;
  ProgressView view(console.err, console.terminal);
  const auto start = Clock::now();
  const auto stopWanted = [&] {
    if (StopRequested()) {
      view.Note("Stopping: the transfer ends after the current read.");
      return true;
    }
    if (TimedOut(options, shared, start)) {
      view.Note("No transmission began in time: stopping.");
      return true;
    }
    return false;
  };
  const Ending ending =
      ReceiveTransfer(port, shared, view, options.modelIndex, stopWanted, console);
  port.Close();
  view.Finish();
  if (ending == Ending::NoWorker) return kExitFailure;
  result.stopped = ending == Ending::Stopped;

  std::vector<std::uint8_t>& bytes = shared.buffer;
  result.bytesReceived = bytes.size();
  if (shared.headerSeen) result.expectedTests = shared.expectedCount.load();
  result.countedTests = shared.testCount;
  // Judged before the clean-up rewrites the bytes.
  const TransferFacts facts = FactsOf(shared, result.stopped, options);
  const TransferReview review = ReviewTransfer(bytes, facts);
  result.garbled = review.garbled;
  bool filesOk = true;
  if (!bytes.empty()) {
    filesOk = KeepRawBytes(options, bytes, result, console);
    result.outputBytes = MakeText(bytes, options.modelIndex, options);
    if (WriteText(options.output, bytes, console)) {
      if (!options.output.empty()) result.outputFile = options.output;
    } else {
      filesOk = false;
    }
  }
  console.err << (bytes.empty() ? "Nothing was received." : Conclusion(result)) << std::endl;
  ReportReview(review, facts, console);
  if (options.json) console.out << Summary(options, result) << std::endl;
  StopRequestDone();
  if (result.bytesReceived == 0) return kExitNothing;
  return filesOk ? kExitOk : kExitFailure;
}

}  // namespace zv::cli
