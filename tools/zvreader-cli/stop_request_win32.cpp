#include <windows.h>

#include <atomic>

#include "zvreader-cli/stop_request.h"

namespace zv::cli {
namespace {

// Windows allows a closing console about 5 s before it ends the process.
constexpr DWORD kLongestWaitForDone = 4500;

std::atomic<bool> stopRequested{false};
HANDLE doneEvent = nullptr;  // set by StopRequestDone

// Runs on a thread of its own that Windows starts for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  stopRequested.store(true);
  const bool endsTheProcess = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT ||
                              event == CTRL_SHUTDOWN_EVENT;
  if (endsTheProcess && doneEvent != nullptr) WaitForSingleObject(doneEvent, kLongestWaitForDone);
  return TRUE;
}

}  // namespace

void InstallStopRequestHandlers() {
  if (doneEvent == nullptr) doneEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StopRequested() { return stopRequested.load(); }

void StopRequestDone() {
  if (doneEvent != nullptr) SetEvent(doneEvent);
}

}  // namespace zv::cli
