#include "ui/qt/qt_view_call_queue.h"

#include <QCoreApplication>
#include <QEvent>

namespace zv {
namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

QtViewCallQueue::QtViewCallQueue(QObject* parent)
    : QObject(parent), queue_([this] {
        QCoreApplication::postEvent(this, new QEvent(kWakeEvent));
        return true;
      }) {}

// Wake-ups are the only events of their kind posted to this object. The
// event is not looked at: it was made on the pushing thread, and only the
// queue's lock, which RunPending takes first, orders that before this
// thread's reads.
void QtViewCallQueue::customEvent(QEvent*) { queue_.RunPending(); }

}  // namespace zv
