#include "keys/dbus_remote_desktop.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

#include "base/qt_text.h"

namespace fenno {
namespace {

constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";
constexpr char kSessionInterface[] = "org.freedesktop.portal.Session";
constexpr uint kKeyboardDevice = 1;
constexpr uint kPersistUntilRevoked = 2;
constexpr uint kResponseCancelled = 1;
// The portal version from which consent can be kept between runs.
constexpr uint kPersistVersion = 2;

QString Latin(const char* text) {
  return QString::fromLatin1(text);
}

// Waits for the answer with events running, so that this program keeps serving the bus
// (and its windows) while the portal thinks.
QDBusMessage CallServing(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs) {
  QDBusPendingCall pending = bus.asyncCall(call, timeoutMs);
  if (!pending.isFinished()) {
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return pending.reply();
}

}  // namespace

RemoteDesktopPortal::RemoteDesktopPortal(QDBusConnection bus, UserStore& store,
                                         std::string application)
    : bus_(std::move(bus)), store_(store), application_(std::move(application)) {}

RemoteDesktopPortal::~RemoteDesktopPortal() {
  if (session_.isEmpty()) return;
  bus_.send(QDBusMessage::createMethodCall(Latin(kPortalService), session_,
                                           Latin(kSessionInterface), Latin("Close")));
}

RemoteDesktopPortal::Outcome RemoteDesktopPortal::Start() {
  if (!outcome_) outcome_ = Open();
  return *outcome_;
}

RemoteDesktopPortal::Outcome RemoteDesktopPortal::Open() {
  const uint version = PortalVersion();
  if (version == 0) return Outcome::Unavailable;
  bool declined = false;
  const auto created =
      Request(Latin("CreateSession"), {}, {{Latin("session_handle_token"), Latin("fenno")}},
              kRequestTimeoutMs, declined);
  if (!created) return declined ? Outcome::Declined : Outcome::Unavailable;
  session_ = created->value(Latin("session_handle")).toString();
  const QDBusObjectPath session(session_);

  QVariantMap devices{{Latin("types"), kKeyboardDevice}};
  if (version >= kPersistVersion) {
    devices.insert(Latin("persist_mode"), kPersistUntilRevoked);
    const auto token = store_.Get(application_, kPortalStoreSection, kRestoreTokenKey);
    if (token && !token->empty()) devices.insert(Latin("restore_token"), FromUtf8(*token));
    // A token serves once: it is spent whatever the answer.
    store_.Set(application_, kPortalStoreSection, kRestoreTokenKey, "");
  }
  if (!Request(Latin("SelectDevices"), {QVariant::fromValue(session)}, devices, kRequestTimeoutMs,
               declined))
    return declined ? Outcome::Declined : Outcome::Unavailable;

  const auto started = Request(Latin("Start"), {QVariant::fromValue(session), QString()}, {},
                               kConsentTimeoutMs, declined);
  if (!started) return declined ? Outcome::Declined : Outcome::Unavailable;
  if (started->contains(Latin("restore_token")))
    store_.Set(application_, kPortalStoreSection, kRestoreTokenKey,
               ToUtf8(started->value(Latin("restore_token")).toString()));
  if (started->contains(Latin("devices")) &&
      !(started->value(Latin("devices")).toUInt() & kKeyboardDevice))
    return Outcome::Declined;
  return Outcome::Started;
}

uint RemoteDesktopPortal::PortalVersion() {
  QDBusMessage get =
      QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                     Latin("org.freedesktop.DBus.Properties"), Latin("Get"));
  get << Latin(kRemoteDesktopInterface) << Latin("version");
  const QDBusMessage reply = CallServing(bus_, get, kRequestTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
  return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

// The request object's path is known before the call, so the answer cannot slip past.
QString RemoteDesktopPortal::RequestPath(const QString& token) const {
  QString sender = bus_.baseService().mid(1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return Latin("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/') + token;
}

std::optional<QVariantMap> RemoteDesktopPortal::Request(const QString& method,
                                                        QVariantList arguments, QVariantMap options,
                                                        int timeoutMs, bool& declined) {
  declined = false;
  const QString token = Latin("fenno") + QString::number(++nextToken_);
  QString path = RequestPath(token);
  const auto listen = [this](const QString& requestPath, bool on) {
    const QString service = Latin(kPortalService), interface = Latin(kRequestInterface),
                  signal = Latin("Response");
    const char* slot = SLOT(OnResponse(uint, QVariantMap));
    return on ? bus_.connect(service, requestPath, interface, signal, this, slot)
              : bus_.disconnect(service, requestPath, interface, signal, this, slot);
  };
  listen(path, true);
  response_.reset();
  options.insert(Latin("handle_token"), token);
  QDBusMessage call = QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                                     Latin(kRemoteDesktopInterface), method);
  arguments.append(options);
  call.setArguments(arguments);
  const QDBusMessage reply = CallServing(bus_, call, kRequestTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    listen(path, false);
    return std::nullopt;
  }
  // Portals older than the handle_token convention choose the path themselves.
  const QString answered = reply.arguments().value(0).value<QDBusObjectPath>().path();
  if (!answered.isEmpty() && answered != path) {
    listen(path, false);
    path = answered;
    listen(path, true);
  }
  if (!response_) {
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    connect(this, &RemoteDesktopPortal::destroyed, &loop, &QEventLoop::quit);
    responseLoop_ = &loop;
    loop.exec();
    responseLoop_ = nullptr;
  }
  listen(path, false);
  if (!response_ || *response_ != 0) {
    declined = response_ && *response_ == kResponseCancelled;
    return std::nullopt;
  }
  return results_;
}

void RemoteDesktopPortal::OnResponse(uint response, const QVariantMap& results) {
  response_ = response;
  results_ = results;
  if (responseLoop_) responseLoop_->quit();
}

void RemoteDesktopPortal::NotifyKeycode(unsigned keycode, bool press) {
  if (outcome_ != Outcome::Started) return;
  QDBusMessage call = QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                                     Latin(kRemoteDesktopInterface),
                                                     Latin("NotifyKeyboardKeycode"));
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap()
       << static_cast<int>(keycode) << static_cast<uint>(press ? 1 : 0);
  // Calls of one connection arrive in order; nothing waits for their answers.
  bus_.send(call);
}

bool RemoteDesktopPortal::NotifyKeysym(unsigned keysym, bool press) {
  if (outcome_ != Outcome::Started || keysymsAccepted_ == false) return false;
  QDBusMessage call =
      QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                     Latin(kRemoteDesktopInterface), Latin("NotifyKeyboardKeysym"));
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap()
       << static_cast<int>(keysym) << static_cast<uint>(press ? 1 : 0);
  if (keysymsAccepted_) {
    bus_.send(call);
    return true;
  }
  keysymsAccepted_ =
      CallServing(bus_, call, kRequestTimeoutMs).type() == QDBusMessage::ReplyMessage;
  return *keysymsAccepted_;
}

}  // namespace fenno
