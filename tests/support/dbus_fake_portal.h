#pragma once

// The desktop portal's remote desktop interface as a test's own service on a private bus:
// it answers requests through request objects as the real portal does and logs every call,
// one line each ("CreateSession", "SelectDevices types=1 persist=2 token=t1", "Start",
// "key 30 down", "sym 233 up", "Close").

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <string>
#include <vector>

namespace fenno::testing {

class FakePortal : public QDBusVirtualObject {
 public:
  explicit FakePortal(QDBusConnection connection);
  ~FakePortal() override;
  bool Serve();

  uint version = 2;
  uint startResponse = 0;        // 1: the user declined
  std::string nextRestoreToken;  // given with the Start answer when not empty
  bool acceptKeysyms = true;
  uint shortcutsVersion = 1;  // 0: the desktop has no global shortcuts
  // The desktop ends the remote desktop session (the user withdrew the permission).
  void EndSession();
  // Sends Activated (press) or Deactivated for a bound shortcut.
  void Shortcut(const std::string& id, bool press);
  std::vector<std::string> calls;

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  void Respond(const QDBusMessage& call, const QDBusConnection& connection, uint response,
               const QVariantMap& results);
  std::string DevicesCall(const QVariantMap& options) const;

  bool HandleShortcuts(const QDBusMessage& message, const QDBusConnection& connection);

  QDBusConnection connection_;
  QString shortcutsSession_;
  bool serving_ = false;
};

}  // namespace fenno::testing
