#include "hotkeys/dbus_portal_hot_key_hook.h"

#include <QDBusArgument>
#include <QDBusMetaType>

#include "base/qt_text.h"
#include "hotkeys/hot_key_names.h"
#include "hotkeys/portal_shortcuts.h"

namespace fenno {
namespace {

QString Latin(const char* text) {
  return QString::fromLatin1(text);
}

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcut {
  QString id;
  QVariantMap properties;
};

}  // namespace
}  // namespace fenno

Q_DECLARE_METATYPE(fenno::PortalShortcut)

namespace fenno {
namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
  argument.beginStructure();
  argument << shortcut.id << shortcut.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
  argument.beginStructure();
  argument >> shortcut.id >> shortcut.properties;
  argument.endStructure();
  return argument;
}

}  // namespace

PortalHotKeyHook::PortalHotKeyHook(QDBusConnection bus, std::function<void()> reportMissingPortal)
    : requester_(std::move(bus)), reportMissingPortal_(std::move(reportMissingPortal)) {
  qDBusRegisterMetaType<PortalShortcut>();
  qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalHotKeyHook::~PortalHotKeyHook() {
  Unwatch();
}

void PortalHotKeyHook::Watch(std::span<const int> codes, Handler handler) {
  Unwatch();
  if (codes.empty() || !OpenSession()) return;
  QList<PortalShortcut> shortcuts;
  for (const int code : codes) {
    QVariantMap properties{{Latin("description"), FromUtf8(HotKeyText(code))}};
    if (const std::string trigger = ShortcutTrigger(code); !trigger.empty())
      properties.insert(Latin("preferred_trigger"), FromUtf8(trigger));
    shortcuts.push_back({FromUtf8(ShortcutId(code)), properties});
  }
  bool declined = false;
  if (!requester_.Request(kGlobalShortcutsInterface, Latin("BindShortcuts"),
                          {QVariant::fromValue(QDBusObjectPath(session_)),
                           QVariant::fromValue(shortcuts), QString()},
                          {}, PortalRequester::kCallTimeoutMs * 10, declined)) {
    Unwatch();
    return;
  }
  handler_ = std::move(handler);
  ListenForShortcuts(true);
}

bool PortalHotKeyHook::OpenSession() {
  if (requester_.Version(kGlobalShortcutsInterface) == 0) {
    if (!missingReported_ && reportMissingPortal_) reportMissingPortal_();
    missingReported_ = true;
    return false;
  }
  bool declined = false;
  const auto created = requester_.Request(kGlobalShortcutsInterface, Latin("CreateSession"), {},
                                          {{Latin("session_handle_token"), Latin("fennokeys")}},
                                          PortalRequester::kCallTimeoutMs, declined);
  if (!created) return false;
  session_ = created->value(Latin("session_handle")).toString();
  return !session_.isEmpty();
}

void PortalHotKeyHook::Unwatch() {
  if (session_.isEmpty()) return;
  ListenForShortcuts(false);
  requester_.CloseSession(session_);
  session_.clear();
  handler_ = nullptr;
}

void PortalHotKeyHook::ListenForShortcuts(bool on) {
  QDBusConnection& bus = requester_.bus();
  const QString service = Latin(kPortalService), path = Latin(kPortalPath),
                interface = Latin(kGlobalShortcutsInterface);
  const char* activated = SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap));
  const char* deactivated = SLOT(OnDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap));
  if (on) {
    bus.connect(service, path, interface, Latin("Activated"), this, activated);
    bus.connect(service, path, interface, Latin("Deactivated"), this, deactivated);
  } else {
    bus.disconnect(service, path, interface, Latin("Activated"), this, activated);
    bus.disconnect(service, path, interface, Latin("Deactivated"), this, deactivated);
  }
}

void PortalHotKeyHook::OnActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                   const QVariantMap&) {
  Notify(session, id, KeyTransition::Press);
}

void PortalHotKeyHook::OnDeactivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                     const QVariantMap&) {
  Notify(session, id, KeyTransition::Release);
}

void PortalHotKeyHook::Notify(const QDBusObjectPath& session, const QString& id,
                              KeyTransition transition) {
  const std::optional<int> code = CodeOfShortcutId(ToUtf8(id));
  if (!handler_ || session.path() != session_ || !code) return;
  HotKeyEvent event;
  event.virtualKey = *code & 0xFF;
  event.transition = transition;
  event.shiftDown = (*code >> 8) & kHotKeyShift;
  event.modifierState = (*code >> 8) & (kHookCtrl | kHookAlt);
  handler_(event);
}

}  // namespace fenno
