#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace zv {

// Carries calls from other threads (the worker's IReceiveView calls) to the
// UI thread, to run there one by one in the order they were pushed. Each
// front-end supplies the wake-up: a function that asks its UI thread, in
// that thread's own event queue, to call RunPending.
//
// Push never waits for the UI thread: it appends under a short lock and,
// when no wake-up is pending, asks for one. A wake-up is pending from the
// moment it is asked for until RunPending finds the queue empty, so:
// - everything pushed before a message that the pushing thread then posts
//   to the UI thread's queue has run when that message is handled (the
//   wake-up came first, or RunPending is running and drains it);
// - a call that opens a modal loop (a message box) holds back the later
//   ones until it returns: they never overtake it.
// Each call is taken from the queue under the same lock, so everything it
// captured is handed over through that lock.
class ViewCallQueue {
 public:
  // Asks the UI thread to call RunPending; false when the request could not
  // be made (the calls then wait for the next Push to ask again). Called
  // under the queue's lock, on the pushing thread.
  using WakeUp = std::function<bool()>;

  explicit ViewCallQueue(WakeUp wakeUp);
  ViewCallQueue(const ViewCallQueue&) = delete;
  ViewCallQueue& operator=(const ViewCallQueue&) = delete;

  // Any thread.
  void Push(std::function<void()> call);
  // UI thread, on the wake-up: runs every call pushed so far, and those
  // pushed while it runs.
  void RunPending();
  // UI thread: drops the calls not yet run and every later one.
  void Close();

 private:
  const WakeUp wakeUp_;
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
  bool wakePending_ = false;
  bool closed_ = false;
};

}  // namespace zv
