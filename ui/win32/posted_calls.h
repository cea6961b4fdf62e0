#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace zv {

// Carries calls from other threads (the worker) to a window's thread, to
// run there one by one in the order they were pushed.
//
// Push never waits for the window's thread: it appends under a short lock
// and, when no wake-up is pending, posts one (`wakeMessage` to the
// window). A message the worker posts after its calls is handled after
// them: the window's queue keeps posted messages in order, and the wake-up
// runs every call pushed before it is handled.
class PostedCalls {
 public:
  explicit PostedCalls(UINT wakeMessage) : wakeMessage_(wakeMessage) {}

  // Window thread, before the first Push.
  void Attach(HWND window);
  // Any thread.
  void Push(std::function<void()> call);
  // Window thread, on `wakeMessage`.
  void RunPending();
  // Window thread: drops the calls not yet run and every later one.
  void Close();

 private:
  const UINT wakeMessage_;
  HWND window_ = nullptr;
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
  bool wakePosted_ = false;
  bool closed_ = false;
};

}  // namespace zv
