#include "zvreader-cli/receive_run.h"

#include <chrono>

#include "transfer/transfer_control.h"
#include "transfer/worker.h"

namespace zv::cli {
namespace {

using std::chrono::milliseconds;

// The dialog's time-outs: Read returns after at most one silent second.
constexpr DWORD kReadTotalTimeout = 1000;
// How often the calling thread asks whether to stop.
constexpr milliseconds kStopCheckInterval{50};

}  // namespace

bool OpenPort(CRS232& port, const CliOptions& options) {
  port.SetTimeoutDefaults(0, 0, kReadTotalTimeout, 0, 2);
  const auto baud = static_cast<DWORD>(options.Baud());
  const int opened = options.port.com > 0 ? port.Open(options.port.com, baud)
                                          : port.OpenDevice(options.port.device, baud);
  return opened != 0;
}

Ending ReceiveTransfer(CRS232& port, TransferShared& shared, ProgressView& view, int modelIndex,
                       const std::function<bool()>& stopWanted, Console& console) {
  ReceiveJob job{port, shared, view, {}};
  WorkerThread worker;
  shared.modelIndex = modelIndex;
  shared.running = 1;
  if (!worker.Start([&job] { ReceiveProc(job); })) {
    shared.running = 0;
    console.err << kThreadsError << std::endl;
    return Ending::NoWorker;
  }
  bool stopped = false;
  while (!view.WaitForEnd(kStopCheckInterval)) {
    if (!stopped && stopWanted()) {
      shared.running = 0;
      stopped = true;
    }
  }
  shared.running = 0;
  if (!worker.WaitFor(kWorkerEndWait)) {
    console.err << kThreadsError << std::endl;
    worker.Join();  // never leave a worker behind that still uses the port
  }
  return stopped ? Ending::Stopped : Ending::Silence;
}

}  // namespace zv::cli
