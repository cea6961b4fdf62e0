#include "kit/scripted_port.h"

#include <algorithm>
#include <utility>

namespace zv::testkit {

namespace {

std::vector<BYTE> BytesOf(std::string_view text) {
  return {text.begin(), text.end()};
}

}  // namespace

ScriptedPort::~ScriptedPort() { Release(); }

ScriptedPort& ScriptedPort::Push(Step step) {
  std::lock_guard lock(mutex_);
  steps_.push_back(std::move(step));
  return *this;
}

ScriptedPort& ScriptedPort::Deliver(std::span<const BYTE> bytes) {
  Step step;
  step.bytes.assign(bytes.begin(), bytes.end());
  return Push(std::move(step));
}

ScriptedPort& ScriptedPort::Deliver(std::string_view bytes) {
  Step step;
  step.bytes = BytesOf(bytes);
  return Push(std::move(step));
}

ScriptedPort& ScriptedPort::Silence(int reads) {
  for (int i = 0; i < reads; ++i) {
    Step step;
    step.result = 0;
    Push(std::move(step));
  }
  return *this;
}

ScriptedPort& ScriptedPort::EmptyRead() { return Push(Step{}); }

ScriptedPort& ScriptedPort::ZeroResultWith(std::string_view bytes) {
  Step step;
  step.bytes = BytesOf(bytes);
  step.result = 0;
  return Push(std::move(step));
}

ScriptedPort& ScriptedPort::Misreport(std::string_view bytes,
                                      DWORD reportedCount) {
  Step step;
  step.bytes = BytesOf(bytes);
  step.reportedCount = reportedCount;
  return Push(std::move(step));
}

ScriptedPort& ScriptedPort::Hold() {
  Step step;
  step.kind = Step::Kind::Hold;
  return Push(std::move(step));
}

ScriptedPort& ScriptedPort::Then(std::function<void()> action) {
  Step step;
  step.kind = Step::Kind::Action;
  step.action = std::move(action);
  return Push(std::move(step));
}

void ScriptedPort::StopWhenExhausted(std::atomic<int>& running) {
  std::lock_guard lock(mutex_);
  runningToClear_ = &running;
}

int ScriptedPort::Read(DWORD max, BYTE* buffer, DWORD* count) {
  std::unique_lock lock(mutex_);
  events_.emplace_back("read");
  ++readCalls_;
  changed_.notify_all();
  for (;;) {
    if (steps_.empty()) {
      if (runningToClear_ != nullptr) {
        runningToClear_->store(0);
      }
      *count = 0;
      return 0;
    }
    Step& step = steps_.front();
    switch (step.kind) {
      case Step::Kind::Action: {
        std::function<void()> action = std::move(step.action);
        steps_.pop_front();
        lock.unlock();
        action();
        lock.lock();
        break;
      }
      case Step::Kind::Hold:
        steps_.pop_front();
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        released_ = false;
        held_ = false;
        break;
      case Step::Kind::Reply:
        return Reply(step, max, buffer, count);
    }
  }
}

int ScriptedPort::Reply(Step& step, DWORD max, BYTE* buffer, DWORD* count) {
  const std::size_t left = step.bytes.size() - step.offset;
  const std::size_t n = std::min<std::size_t>(left, max);
  std::copy_n(step.bytes.begin() + static_cast<std::ptrdiff_t>(step.offset), n,
              buffer);
  step.offset += n;
  delivered_ += n;
  *count = step.reportedCount >= 0 ? static_cast<DWORD>(step.reportedCount)
                                   : static_cast<DWORD>(n);
  const int result = step.result;
  if (step.offset == step.bytes.size()) {
    steps_.pop_front();
  }
  return result;
}

void ScriptedPort::Shake(DWORD function) {
  std::lock_guard lock(mutex_);
  events_.push_back("shake " + std::to_string(function));
}

int ScriptedPort::ReadCalls() const {
  std::lock_guard lock(mutex_);
  return readCalls_;
}

bool ScriptedPort::WaitForReadCalls(int calls,
                                    std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout,
                           [&] { return readCalls_ >= calls; });
}

bool ScriptedPort::WaitUntilHeld(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return held_; });
}

void ScriptedPort::Release() {
  std::lock_guard lock(mutex_);
  released_ = true;
  changed_.notify_all();
}

bool ScriptedPort::Exhausted() const {
  std::lock_guard lock(mutex_);
  return steps_.empty();
}

std::size_t ScriptedPort::BytesDelivered() const {
  std::lock_guard lock(mutex_);
  return delivered_;
}

std::vector<std::string> ScriptedPort::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<DWORD> ScriptedPort::ShakeCalls() const {
  std::lock_guard lock(mutex_);
  std::vector<DWORD> calls;
  for (const std::string& event : events_) {
    if (event.starts_with("shake ")) {
      calls.push_back(static_cast<DWORD>(std::stoul(event.substr(6))));
    }
  }
  return calls;
}

}  // namespace zv::testkit
