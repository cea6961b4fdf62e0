#include "transfer/worker.h"

#include <system_error>
#include <utility>

namespace zv {

WorkerThread::WorkerThread(PriorityRaiser raisePriority)
    : raisePriority_(std::move(raisePriority)) {}

WorkerThread::~WorkerThread() { Join(); }

bool WorkerThread::Start(std::function<void()> body) {
  if (thread_.joinable()) return false;
  {
    std::lock_guard lock(mutex_);
    finished_ = false;
  }
  try {
    thread_ = std::thread([this, body = std::move(body)] {
      raisePriority_();  // a refusal leaves normal priority
      body();
      std::lock_guard lock(mutex_);
      finished_ = true;
      done_.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

bool WorkerThread::Held() const { return thread_.joinable(); }

bool WorkerThread::Finished() const {
  std::lock_guard lock(mutex_);
  return thread_.joinable() && finished_;
}

bool WorkerThread::WaitFor(std::chrono::milliseconds timeout) {
  if (!thread_.joinable()) return true;
  {
    std::unique_lock lock(mutex_);
    if (!done_.wait_for(lock, timeout, [this] { return finished_; }))
      return false;
  }
  thread_.join();
  return true;
}

void WorkerThread::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace zv
