#include "ui/qt/view_call_queue.h"

#include <QCoreApplication>
#include <QEvent>

namespace zv {
namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

ViewCallQueue::ViewCallQueue(QObject* parent) : QObject(parent) {}

void ViewCallQueue::Push(std::function<void()> call) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  calls_.push_back(std::move(call));
  if (wakePosted_) return;
  wakePosted_ = true;
  QCoreApplication::postEvent(this, new QEvent(kWakeEvent));
}

void ViewCallQueue::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  calls_.clear();
}

bool ViewCallQueue::event(QEvent* event) {
  bool wake = false;
  {
    // Taken before the event is looked at: a wake-up was made on the
    // pushing thread, and the lock orders that before this read.
    std::lock_guard lock(mutex_);
    wake = event->type() == kWakeEvent;
  }
  if (!wake) return QObject::event(event);
  RunPending();
  return true;
}

void ViewCallQueue::RunPending() {
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

}  // namespace zv
