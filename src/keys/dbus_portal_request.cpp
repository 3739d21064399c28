#include "keys/dbus_portal_request.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QTimer>

namespace fenno {
namespace {

constexpr uint kResponseCancelled = 1;

QString Latin(const char* text) {
  return QString::fromLatin1(text);
}

}  // namespace

QDBusMessage PortalRequester::Call(const QDBusMessage& call) {
  QDBusPendingCall pending = bus_.asyncCall(call, kCallTimeoutMs);
  if (!pending.isFinished()) {
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return pending.reply();
}

void PortalRequester::CloseSession(const QString& session) {
  bus_.send(QDBusMessage::createMethodCall(
      Latin(kPortalService), session, Latin("org.freedesktop.portal.Session"), Latin("Close")));
}

void PortalRequester::WatchSessionClosed(const QString& session, std::function<void()> onClosed) {
  onSessionClosed_ = std::move(onClosed);
  bus_.connect(Latin(kPortalService), session, Latin("org.freedesktop.portal.Session"),
               Latin("Closed"), this, SLOT(OnSessionClosed(QVariantMap)));
}

void PortalRequester::OnSessionClosed(const QVariantMap&) {
  if (onSessionClosed_) onSessionClosed_();
}

uint PortalRequester::Version(const char* interface) {
  QDBusMessage get =
      QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                     Latin("org.freedesktop.DBus.Properties"), Latin("Get"));
  get << Latin(interface) << Latin("version");
  const QDBusMessage reply = Call(get);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
  return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

// The request object's path is known before the call, so the answer cannot slip past.
QString PortalRequester::RequestPath(const QString& token) const {
  QString sender = bus_.baseService().mid(1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return Latin("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/') + token;
}

bool PortalRequester::Listen(const QString& requestPath, bool on) {
  const QString service = Latin(kPortalService),
                interface = Latin("org.freedesktop.portal.Request"), signal = Latin("Response");
  const char* slot = SLOT(OnResponse(uint, QVariantMap));
  return on ? bus_.connect(service, requestPath, interface, signal, this, slot)
            : bus_.disconnect(service, requestPath, interface, signal, this, slot);
}

std::optional<QVariantMap> PortalRequester::Request(const char* interface, const QString& method,
                                                    QVariantList arguments, QVariantMap options,
                                                    int timeoutMs, bool& declined) {
  declined = false;
  const QString token = Latin("fenno") + QString::number(++nextToken_);
  QString path = RequestPath(token);
  Listen(path, true);
  response_.reset();
  options.insert(Latin("handle_token"), token);
  QDBusMessage call = QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                                     Latin(interface), method);
  arguments.append(options);
  call.setArguments(arguments);
  const QDBusMessage reply = Call(call);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    Listen(path, false);
    return std::nullopt;
  }
  // Portals older than the handle_token convention choose the path themselves.
  const QString answered = reply.arguments().value(0).value<QDBusObjectPath>().path();
  if (!answered.isEmpty() && answered != path) {
    Listen(path, false);
    path = answered;
    Listen(path, true);
  }
  if (!response_) {
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    responseLoop_ = &loop;
    loop.exec();
    responseLoop_ = nullptr;
  }
  Listen(path, false);
  if (!response_ || *response_ != 0) {
    declined = response_ && *response_ == kResponseCancelled;
    return std::nullopt;
  }
  return results_;
}

void PortalRequester::OnResponse(uint response, const QVariantMap& results) {
  response_ = response;
  results_ = results;
  if (responseLoop_) responseLoop_->quit();
}

}  // namespace fenno
