#include "keys/dbus_remote_desktop.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

#include "base/qt_text.h"

namespace fenno {
namespace {

constexpr uint kKeyboardDevice = 1;
constexpr uint kPersistUntilRevoked = 2;
// The portal version from which consent can be kept between runs.
constexpr uint kPersistVersion = 2;

QString Latin(const char* text) {
  return QString::fromLatin1(text);
}

}  // namespace

RemoteDesktopPortal::RemoteDesktopPortal(QDBusConnection bus, UserStore& store,
                                         std::string application)
    : requester_(std::move(bus)), store_(store), application_(std::move(application)) {}

RemoteDesktopPortal::~RemoteDesktopPortal() {
  if (!session_.isEmpty()) requester_.CloseSession(session_);
}

RemoteDesktopPortal::Outcome RemoteDesktopPortal::Start() {
  if (!outcome_) outcome_ = Open();
  return *outcome_;
}

RemoteDesktopPortal::Outcome RemoteDesktopPortal::Open() {
  const uint version = requester_.Version(kRemoteDesktopInterface);
  if (version == 0) return Outcome::Unavailable;
  bool declined = false;
  const auto created = requester_.Request(kRemoteDesktopInterface, Latin("CreateSession"), {},
                                          {{Latin("session_handle_token"), Latin("fenno")}},
                                          PortalRequester::kCallTimeoutMs, declined);
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
  if (!requester_.Request(kRemoteDesktopInterface, Latin("SelectDevices"),
                          {QVariant::fromValue(session)}, devices, PortalRequester::kCallTimeoutMs,
                          declined))
    return declined ? Outcome::Declined : Outcome::Unavailable;

  const auto started = requester_.Request(kRemoteDesktopInterface, Latin("Start"),
                                          {QVariant::fromValue(session), QString()}, {},
                                          kConsentTimeoutMs, declined);
  if (!started) return declined ? Outcome::Declined : Outcome::Unavailable;
  if (started->contains(Latin("restore_token")))
    store_.Set(application_, kPortalStoreSection, kRestoreTokenKey,
               ToUtf8(started->value(Latin("restore_token")).toString()));
  if (started->contains(Latin("devices")) &&
      !(started->value(Latin("devices")).toUInt() & kKeyboardDevice))
    return Outcome::Declined;
  requester_.WatchSessionClosed(session_, [this] {
    outcome_ = Outcome::Ended;
    session_.clear();
  });
  return Outcome::Started;
}

void RemoteDesktopPortal::NotifyKeycode(unsigned keycode, bool press) {
  if (outcome_ != Outcome::Started) return;
  QDBusMessage call = QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                                     Latin(kRemoteDesktopInterface),
                                                     Latin("NotifyKeyboardKeycode"));
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap()
       << static_cast<int>(keycode) << static_cast<uint>(press ? 1 : 0);
  // Calls of one connection arrive in order; nothing waits for their answers.
  requester_.bus().send(call);
}

bool RemoteDesktopPortal::NotifyKeysym(unsigned keysym, bool press) {
  if (outcome_ != Outcome::Started || keysymsAccepted_ == false) return false;
  QDBusMessage call =
      QDBusMessage::createMethodCall(Latin(kPortalService), Latin(kPortalPath),
                                     Latin(kRemoteDesktopInterface), Latin("NotifyKeyboardKeysym"));
  call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap()
       << static_cast<int>(keysym) << static_cast<uint>(press ? 1 : 0);
  if (keysymsAccepted_) {
    requester_.bus().send(call);
    return true;
  }
  keysymsAccepted_ = requester_.Call(call).type() == QDBusMessage::ReplyMessage;
  return *keysymsAccepted_;
}

}  // namespace fenno
