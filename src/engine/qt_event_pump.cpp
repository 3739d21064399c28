#include "engine/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace fenno {

void QtEventPump::ProcessEvents(int maxWaitMs) {
  if (maxWaitMs <= 0 || !QCoreApplication::instance()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // A nested loop that sleeps until events arrive and ends with the timer, so that a
  // waiting caller neither spins nor holds up timers, sockets or D-Bus calls.
  QEventLoop loop;
  QTimer::singleShot(maxWaitMs, &loop, &QEventLoop::quit);
  loop.exec();
}

void QtEventPump::Post(std::function<void()> action) {
  QTimer::singleShot(0, QCoreApplication::instance(), std::move(action));
}

}  // namespace fenno
