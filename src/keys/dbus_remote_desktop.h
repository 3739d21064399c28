#pragma once

// The desktop portal's remote desktop session, keyboard only: the way a Wayland desktop
// lets one program type into another's windows. Each step is a portal request whose answer
// arrives as the Response signal of a request object; the user is asked for consent when
// the session starts. Where the portal can keep the consent, the newest restore token is
// kept in the per-user store (each token serves once) so that later runs start unasked.

#include <QDBusConnection>
#include <optional>
#include <string>

#include "config/user_store.h"
#include "keys/dbus_portal_request.h"

namespace fenno {

inline constexpr char kRemoteDesktopInterface[] = "org.freedesktop.portal.RemoteDesktop";
// Where the restore token is kept: the program's store, this section and key.
inline constexpr char kPortalStoreSection[] = "Wayland";
inline constexpr char kRestoreTokenKey[] = "RemoteDesktopRestoreToken";

class RemoteDesktopPortal {
 public:
  enum class Outcome { Started, Declined, Unavailable, Ended };
  // How long the user may take to answer the consent question.
  static constexpr int kConsentTimeoutMs = 5 * 60 * 1000;

  RemoteDesktopPortal(QDBusConnection bus, UserStore& store, std::string application);
  ~RemoteDesktopPortal();
  RemoteDesktopPortal(const RemoteDesktopPortal&) = delete;
  RemoteDesktopPortal& operator=(const RemoteDesktopPortal&) = delete;

  // Starts the session the first time; later calls answer the first outcome, so the user
  // is asked at most once per run, or Ended once the desktop has closed the session.
  Outcome Start();
  // Linux input key code pressed (true) or released.
  void NotifyKeycode(unsigned keycode, bool press);
  // A key by its symbol, for characters the layout has no key for. False when the portal
  // does not take symbols (asked once; then never again).
  bool NotifyKeysym(unsigned keysym, bool press);

 private:
  Outcome Open();

  PortalRequester requester_;
  UserStore& store_;
  std::string application_;
  std::optional<Outcome> outcome_;
  QString session_;
  std::optional<bool> keysymsAccepted_;
};

}  // namespace fenno
