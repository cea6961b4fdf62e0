#include <atomic>
#include <csignal>

#include "zvreader-cli/stop_request.h"

namespace zv::cli {
namespace {

// Written by the signal handler; lock-free, so safe there.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
  stopRequested.store(true);
  // Some systems reset the handler to the default when it runs.
  std::signal(signal, OnStopSignal);
}

}  // namespace

void InstallStopRequestHandlers() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
}

bool StopRequested() { return stopRequested.load(); }

// Nothing waits for it here: a signal ends nothing by itself.
void StopRequestDone() {}

}  // namespace zv::cli
