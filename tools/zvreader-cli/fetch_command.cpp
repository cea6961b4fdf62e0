#include <chrono>
#include <optional>
#include <string>

#include "support/file_io.h"
#include "support/paths.h"
#include "support/rs232.h"
#include "transfer/archive.h"
#include "transfer/receive.h"
#include "transfer/result_files.h"
#include "transfer/transfer_control.h"
#include "transfer/worker.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/json_writer.h"
#include "zvreader-cli/progress_view.h"
#include "zvreader-cli/stop_request.h"

namespace zv::cli {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The dialog's time-outs: Read returns after at most one silent second.
constexpr DWORD kReadTotalTimeout = 1000;
// How often the main thread looks for Ctrl-C and the time-out.
constexpr milliseconds kWatchInterval{50};
// The dialog's wait for the worker after its end command.
constexpr milliseconds kWorkerEndWait{550};

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
};

bool OpenPort(CRS232& port, const CliOptions& options) {
  port.SetTimeoutDefaults(0, 0, kReadTotalTimeout, 0, 2);
  const auto baud = static_cast<DWORD>(options.Baud());
  const int opened = options.port.com > 0 ? port.Open(options.port.com, baud)
                                          : port.OpenDevice(options.port.device, baud);
  if (!opened) port.ReportError();
  return opened != 0;
}

bool TimedOut(const CliOptions& options, const TransferShared& shared, Clock::time_point start) {
  if (!options.timeoutSeconds || shared.headerSeen.load()) return false;
  return Clock::now() - start >= std::chrono::duration<double>(*options.timeoutSeconds);
}

enum class Ending { Silence, Stopped, NoWorker };

// Runs the receive loop on a worker and watches for Stop (Ctrl-C, SIGTERM,
// time-out) until it ends.
Ending Transfer(CRS232& port, TransferShared& shared, ProgressView& view,
                const CliOptions& options, Console& console) {
  ReceiveJob job{port, shared, view, {}};
  WorkerThread worker;
  shared.modelIndex = options.modelIndex;
  shared.running = 1;
  if (!worker.Start([&job] { ReceiveProc(job); })) {
    shared.running = 0;
    console.err << kThreadsError << std::endl;
    return Ending::NoWorker;
  }
  const auto start = Clock::now();
  bool stopped = false;
  while (!view.WaitForEnd(kWatchInterval)) {
    if (!stopped && (StopRequested() || TimedOut(options, shared, start))) {
      stopped = shared.running.exchange(0) != 0;
      if (stopped) {
        view.Note(StopRequested() ? "Stopping: the transfer ends after the current read."
                                  : "No transmission began in time: stopping.");
      }
    }
  }
  shared.running = 0;
  if (!worker.WaitFor(kWorkerEndWait)) {
    console.err << kThreadsError << std::endl;
    worker.Join();  // never leave a worker behind that still uses the port
  }
  return stopped ? Ending::Stopped : Ending::Silence;
}

// The raw dump of the model and its archive copy, as the dialog writes
// them, and the copy asked for. False when the dump or the copy could not
// be written; the archive only warns, as the dump holds the same bytes.
bool KeepRawBytes(const CliOptions& options, const std::vector<std::uint8_t>& bytes,
                  FetchResult& result, Console& console) {
  TransferArchive archive;
  const KeptBytes kept = KeepReceivedBytes(options.modelIndex, bytes, RealFileWriter(), archive);
  bool ok = true;
  if (kept.dump) {
    result.rawFile = RawDumpPath(options.modelIndex).string();
  } else {
    console.err << "zvreader-cli: cannot write the raw dump " << RawDumpPath(options.modelIndex).string()
                << ": " << kept.dump.reason << std::endl;
    ok = false;
  }
  if (kept.archived.result) {
    result.archiveFile = kept.archived.file.string();
  } else {
    console.err << "zvreader-cli: cannot keep the transfer in the archive "
                << archive.Folder().string() << ": " << kept.archived.result.reason << std::endl;
  }
  if (!options.raw.empty()) {
    if (const FileResult copy = RealFileWriter().WriteAtomic(options.raw, bytes); !copy) {
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
  if (!OpenPort(port, options)) return kExitFailure;

  FetchResult result;
  result.device = port.Device();
  TransferShared shared;
  ProgressView view(console.err, console.terminal);
  const Ending ending = Transfer(port, shared, view, options, console);
  port.Close();
  view.Finish();
  if (ending == Ending::NoWorker) return kExitFailure;
  result.stopped = ending == Ending::Stopped;

  std::vector<std::uint8_t>& bytes = shared.buffer;
  result.bytesReceived = bytes.size();
  if (shared.headerSeen) result.expectedTests = shared.expectedCount.load();
  result.countedTests = shared.testCount;
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
  if (options.json) console.out << Summary(options, result) << std::endl;
  if (result.bytesReceived == 0) return kExitNothing;
  return filesOk ? kExitOk : kExitFailure;
}

}  // namespace zv::cli
