#include "support/rs232.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>

#include "support/port_map.h"
#include "support/rs232_native.h"

namespace zv {
namespace {

using std::chrono::milliseconds;

constexpr DWORD kSupportedBauds[] = {4800, 9600, 19200};

// The wait of a closed or failed port when the time-outs set no total limit.
constexpr milliseconds kSilenceWithoutLimit{1000};

std::mutex reporterMutex;
ErrorReporter reporter;
Language reporterLanguage = Language::English;

void ReportToStderr(const std::string& message) {
  std::cerr << message << std::endl;
}

}  // namespace

bool IsSupportedBaud(DWORD baud) {
  return std::find(std::begin(kSupportedBauds), std::end(kSupportedBauds),
                   baud) != std::end(kSupportedBauds);
}

void SetErrorReporter(ErrorReporter newReporter, Language language) {
  std::lock_guard lock(reporterMutex);
  reporter = std::move(newReporter);
  reporterLanguage = language;
}

namespace detail {

ReadPlan MakeReadPlan(const PortTimeouts& t, DWORD max) {
  ReadPlan plan;
  if (t.readInterval == kMaxDword && t.readTotalMultiplier == 0 &&
      t.readTotalConstant == 0) {
    plan.total = milliseconds(0);  // whatever is waiting, at once
    return plan;
  }
  if (t.readInterval == kMaxDword && t.readTotalMultiplier == kMaxDword &&
      t.readTotalConstant != 0 && t.readTotalConstant != kMaxDword) {
    plan.total = milliseconds(t.readTotalConstant);
    plan.returnOnFirstByte = true;
    return plan;
  }
  if (t.readTotalMultiplier != 0 || t.readTotalConstant != 0) {
    std::uint64_t total =
        std::uint64_t{t.readTotalMultiplier} * max + t.readTotalConstant;
    plan.total = milliseconds(std::min<std::uint64_t>(total, kMaxDword));
  }
  if (t.readInterval != 0) plan.interval = milliseconds(t.readInterval);
  return plan;
}

milliseconds SilenceWait(const ReadPlan& plan) {
  return plan.total.value_or(kSilenceWithoutLimit);
}

}  // namespace detail

struct CRS232::Impl {
  detail::PortTimeouts timeouts;  // for the next Open
  detail::PortTimeouts active;    // those of the open port
  detail::NativePortPtr port;
  std::string device;
  PortError lastError;
  std::atomic<bool> failed{false};  // the open device has failed

  int OpenMapped(PortError error) {
    if (error.kind == PortErrorKind::None && !IsSupportedBaud(error.baud)) {
      error.kind = PortErrorKind::BadBaudRate;
    }
    if (error.kind == PortErrorKind::None) {
      port = detail::OpenNativePort(error.device, error.baud, timeouts, error);
    }
    if (port) {
      device = error.device;
      active = timeouts;
      failed = false;
    }
    lastError = std::move(error);
    return port ? 1 : 0;
  }
};

CRS232::CRS232() : impl_(std::make_unique<Impl>()) {}

CRS232::~CRS232() = default;

void CRS232::SetTimeoutDefaults(DWORD readInterval, DWORD readTotalMultiplier,
                                DWORD readTotalConstant,
                                DWORD writeTotalMultiplier,
                                DWORD writeTotalConstant) {
  impl_->timeouts = {readInterval, readTotalMultiplier, readTotalConstant,
                     writeTotalMultiplier, writeTotalConstant};
}

int CRS232::Open(int com, DWORD baud) {
  Close();
  PortError error;
  error.com = com;
  error.baud = baud;
  if (com == 0) {
    error.kind = PortErrorKind::NoPortSelected;
  } else if (auto device = PortDevice(com)) {
    error.device = *device;
  } else {
    error.kind = PortErrorKind::NoDevice;
  }
  return impl_->OpenMapped(std::move(error));
}

int CRS232::OpenDevice(const std::string& device, DWORD baud) {
  Close();
  PortError error;
  error.device = device;
  error.baud = baud;
  if (device.empty()) error.kind = PortErrorKind::NoDevice;
  return impl_->OpenMapped(std::move(error));
}

bool CRS232::IsOpen() const { return impl_->port != nullptr; }

int CRS232::Close() {
  if (!impl_->port) return 0;
  impl_->port.reset();
  impl_->device.clear();
  impl_->failed = false;
  return 1;
}

int CRS232::Read(DWORD max, BYTE* buffer, DWORD* count) {
  const auto start = std::chrono::steady_clock::now();
  const detail::ReadPlan plan =
      detail::MakeReadPlan(impl_->port ? impl_->active : impl_->timeouts, max);
  detail::NativeRead got;
  if (impl_->port) {
    got = detail::ReadNativePort(*impl_->port, buffer, max, plan, start);
    if (got.failed) impl_->failed = true;
  } else {
    got.failed = true;
  }
  // Silence never ends before the time-out, even where the device or its
  // driver answers at once (a hang-up, an unplugged adapter).
  if (got.failed || got.count == 0) {
    // A single sleep may end a little early (Windows timers), so check.
    const auto end = start + SilenceWait(plan);
    while (std::chrono::steady_clock::now() < end) std::this_thread::sleep_until(end);
  }
  if (count) *count = got.count;
  return got.count > 0 ? 1 : 0;
}

void CRS232::Shake(DWORD function) {
  constexpr DWORD kSetDtr = 5;
  constexpr DWORD kClearDtr = 6;
  if (!impl_->port || (function != kSetDtr && function != kClearDtr)) return;
  detail::SetNativeDtr(*impl_->port, function == kSetDtr);
}

void CRS232::ReportError() {
  ErrorReporter current;
  Language language;
  {
    std::lock_guard lock(reporterMutex);
    current = reporter;
    language = reporterLanguage;
  }
  const std::string message = DescribePortError(impl_->lastError, language);
  if (message.empty()) return;
  if (current) {
    current(message);
  } else {
    ReportToStderr(message);
  }
}

const PortError& CRS232::LastError() const { return impl_->lastError; }

bool CRS232::Failed() const { return impl_->failed; }

std::string CRS232::Device() const { return impl_->device; }

}  // namespace zv
