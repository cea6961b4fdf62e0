#pragma once

#include <QObject>
#include <functional>
#include <utility>

#include "transfer/view_call_queue.h"

namespace zv {

// A ViewCallQueue woken by an event posted to this object: the calls run on
// the thread this object lives in (the UI thread) when its event loop
// delivers the wake-up.
class QtViewCallQueue : public QObject {
 public:
  explicit QtViewCallQueue(QObject* parent = nullptr);

  // Any thread.
  void Push(std::function<void()> call) { queue_.Push(std::move(call)); }
  // UI thread: drops the calls not yet run and every later one.
  void Close() { queue_.Close(); }

 protected:
  void customEvent(QEvent* event) override;

 private:
  ViewCallQueue queue_;
};

}  // namespace zv
