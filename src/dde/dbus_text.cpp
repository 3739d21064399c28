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

QString ToBusText(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::optional<std::string> FromBusText(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (const QChar c : text) {
    if (c.unicode() > 255) return std::nullopt;
    bytes += static_cast<char>(c.unicode());
  }
  return bytes;
}

QDBusMessage ConversationCall(const QString& service, const QString& method,
                              const QString& argument) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(service, kDdeObjectPath, kDdeInterface, method);
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
