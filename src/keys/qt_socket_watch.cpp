#include "keys/qt_socket_watch.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace fenno {
namespace {

class QtSocketWatch : public SocketWatch {
 public:
  QtSocketWatch(int fd, std::function<void()> onReadable)
      : notifier_(fd, QSocketNotifier::Read), onReadable_(std::move(onReadable)) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { onReadable_(); });
  }
  void Stop() override { notifier_.setEnabled(false); }

 private:
  QSocketNotifier notifier_;
  std::function<void()> onReadable_;
};

}  // namespace

std::unique_ptr<SocketWatch> WatchSocket(int fd, std::function<void()> onReadable) {
  if (!QCoreApplication::instance()) return nullptr;
  return std::make_unique<QtSocketWatch>(fd, std::move(onReadable));
}

}  // namespace fenno
