#pragma once

// The desktop portal's request pattern: a method answers at once with a request object, and
// the real answer comes later as that object's Response signal (after the user has been
// asked, for some). Waits run this program's events, so it keeps serving meanwhile.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace fenno {

inline constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
inline constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";

class PortalRequester : public QObject {
  Q_OBJECT

 public:
  static constexpr int kCallTimeoutMs = 30 * 1000;

  explicit PortalRequester(QDBusConnection bus) : bus_(std::move(bus)) {}
  QDBusConnection& bus() { return bus_; }

  // The version of a portal interface, 0 when the desktop does not offer it.
  uint Version(const char* interface);
  // Calls `method` of `interface` with `arguments` and then `options`; the Response's
  // results, or nullopt (with `declined` set when the user said no) when it did not succeed.
  std::optional<QVariantMap> Request(const char* interface, const QString& method,
                                     QVariantList arguments, QVariantMap options, int timeoutMs,
                                     bool& declined);
  // A call of a session's or the portal's method, waiting for its answer with events running.
  QDBusMessage Call(const QDBusMessage& call);
  // Asks a session to close; nothing waits for it.
  void CloseSession(const QString& session);
  // Runs `onClosed` when the desktop ends the session (the user withdrew the permission).
  void WatchSessionClosed(const QString& session, std::function<void()> onClosed);

 private slots:
  void OnResponse(uint response, const QVariantMap& results);
  void OnSessionClosed(const QVariantMap& details);

 private:
  QString RequestPath(const QString& token) const;
  bool Listen(const QString& requestPath, bool on);

  QDBusConnection bus_;
  int nextToken_ = 0;
  std::optional<uint> response_;
  QVariantMap results_;
  QEventLoop* responseLoop_ = nullptr;
  std::function<void()> onSessionClosed_;
};

}  // namespace fenno
