#include "dde/dbus_text.h"

#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QTimer>

namespace fenno {
namespace {

// Beyond the call's own time-out, in case its error answer is late.
constexpr int kWaitMarginMs = 100;

}  // namespace

QDBusMessage ConversationCall(const QString& service, const QString& method,
                              const QString& argument) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, QLatin1String(kDdeObjectPath),
                                                     QLatin1String(kDdeInterface), method);
  call << argument;
  call.setAutoStartService(false);
  return call;
}

QDBusMessage CallAndWait(const QDBusConnection& connection, const QDBusMessage& call,
                         int timeoutMs) {
  QDBusPendingCall pending = connection.asyncCall(call, timeoutMs);
  if (!pending.isFinished()) {
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs + kWaitMarginMs, &loop, &QEventLoop::quit);
    if (!pending.isFinished()) loop.exec();
  }
  if (!pending.isFinished())
    return call.createErrorReply(QDBusError::Timeout, QStringLiteral("no answer in time"));
  return pending.reply();
}

}  // namespace fenno
