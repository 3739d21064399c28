// In a test with a Qt application, waiting handles its events (timers, sockets, bus
// messages) between the checks of a condition.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

#include "support/wait.h"

namespace fenno::testing {
namespace {

void HandleEvents(int ms) {
  if (!QCoreApplication::instance()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  // A loop of its own also runs deferred deletions, as the program's own loop would.
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

[[maybe_unused]] const bool registered = (SetWaitPause(HandleEvents), true);

}  // namespace
}  // namespace fenno::testing
