#pragma once

// Global hot keys on a Wayland desktop through the desktop portal's global shortcuts: the
// watched codes are bound as shortcuts of a session (the desktop may ask the user to
// confirm or change the keys), and their Activated and Deactivated signals become presses
// and releases. The desktop keeps bound keys from other programs, so every key is
// swallowed. Without the portal the user is told once.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <functional>

#include "hotkeys/hot_key_hook.h"
#include "keys/dbus_portal_request.h"

namespace fenno {

inline constexpr char kGlobalShortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";

class PortalHotKeyHook : public QObject, public HotKeyHook {
  Q_OBJECT

 public:
  PortalHotKeyHook(QDBusConnection bus, std::function<void()> reportMissingPortal);
  ~PortalHotKeyHook() override;

  void Watch(std::span<const int> codes, Handler handler) override;
  void Unwatch() override;

 private slots:
  void OnActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                   const QVariantMap& options);
  void OnDeactivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

 private:
  bool OpenSession();
  void Notify(const QDBusObjectPath& session, const QString& id, KeyTransition transition);
  void ListenForShortcuts(bool on);

  PortalRequester requester_;
  std::function<void()> reportMissingPortal_;
  bool missingReported_ = false;
  QString session_;
  Handler handler_;
};

}  // namespace fenno
