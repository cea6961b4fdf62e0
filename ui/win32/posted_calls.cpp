#include "ui/win32/posted_calls.h"

namespace zv {

void PostedCalls::Attach(HWND window) {
  std::lock_guard lock(mutex_);
  window_ = window;
}

void PostedCalls::Push(std::function<void()> call) {
  std::lock_guard lock(mutex_);
  if (closed_ || window_ == nullptr) return;
  calls_.push_back(std::move(call));
  if (wakePosted_) return;
  wakePosted_ = PostMessageW(window_, wakeMessage_, 0, 0) != 0;
}

void PostedCalls::RunPending() {
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard lock(mutex_);
      if (calls_.empty()) {
        wakePosted_ = false;
        return;
      }
      call = std::move(calls_.front());
      calls_.pop_front();
    }
    call();
  }
}

void PostedCalls::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  calls_.clear();
}

}  // namespace zv
