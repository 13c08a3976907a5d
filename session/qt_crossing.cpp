#include "session/qt_crossing.h"

#include <QThread>
#include <QTimer>

namespace rescuva::session {

// A delayed task gets its timer on the receiving thread, where timers run.
void QtCrossing::Post(std::function<void()> task, int delay_ms) {
  QObject* receiver = receiver_;
  QMetaObject::invokeMethod(
      receiver,
      [receiver, delay_ms, task = std::move(task)]() mutable {
        if (delay_ms > 0) {
          QTimer::singleShot(delay_ms, receiver, std::move(task));
        } else {
          task();
        }
      },
      Qt::QueuedConnection);
}

bool QtCrossing::OnReceivingThread() const {
  return QThread::currentThread() == receiver_->thread();
}

}  // namespace rescuva::session
