#include "transfer/view_call_queue.h"

#include <utility>

namespace zv {

ViewCallQueue::ViewCallQueue(WakeUp wakeUp) : wakeUp_(std::move(wakeUp)) {}

void ViewCallQueue::Push(std::function<void()> call) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  calls_.push_back(std::move(call));
  if (!wakePending_) wakePending_ = wakeUp_();
}

void ViewCallQueue::RunPending() {
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard lock(mutex_);
      if (calls_.empty()) {
        wakePending_ = false;
        return;
      }
      call = std::move(calls_.front());
      calls_.pop_front();
    }
    call();
  }
}

void ViewCallQueue::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  calls_.clear();
}

}  // namespace zv
