#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace zv {

// Carries calls from other threads to the thread of this object (the UI
// thread), to run there one by one in the order they were pushed.
//
// Push never waits for the UI thread: it appends under a short lock and,
// when no wake-up is pending, posts one. Each call is taken from the queue
// under the same lock, so everything a call captured is handed over through
// it. A call that opens a modal loop holds back the later ones until it
// returns, so they never overtake it.
class ViewCallQueue : public QObject {
 public:
  explicit ViewCallQueue(QObject* parent = nullptr);

  // Any thread.
  void Push(std::function<void()> call);
  // UI thread: drops the calls not yet run and every later one.
  void Close();

 protected:
  bool event(QEvent* event) override;

 private:
  void RunPending();

  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
  bool wakePosted_ = false;
  bool closed_ = false;
};

}  // namespace zv
