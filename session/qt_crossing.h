// The crossing of the window: tasks run on the thread of a receiving object (the
// user-interface thread), through its event queue.
#pragma once

#include <QObject>

#include "session/crossing.h"

namespace rescuva::session {

class QtCrossing : public Crossing {
 public:
  // `receiver` must outlive every sender.
  explicit QtCrossing(QObject* receiver) : receiver_(receiver) {}
  void Post(std::function<void()> task, int delay_ms = 0) override;
  bool OnReceivingThread() const override;

 private:
  QObject* receiver_;
};

}  // namespace rescuva::session
