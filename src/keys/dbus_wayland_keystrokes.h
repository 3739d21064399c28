#pragma once

// The keystroke output of a running engine on a Wayland desktop: the remote desktop portal
// types with the keys of the desktop's layout into the window that has the focus. The
// user's consent is asked when the first record is typed; a refusal is told once and every
// record is then a failed delivery, typed nowhere.

#include <QDBusConnection>
#include <bitset>
#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/prompt.h"
#include "base/string_table.h"
#include "config/user_store.h"
#include "engine/keystroke_target.h"
#include "keys/dbus_portal_key_sink.h"
#include "keys/dbus_remote_desktop.h"
#include "keys/key_sender.h"
#include "keys/keyboard_layout_name.h"
#include "keys/window_focuser.h"
#include "keys/xkb_keymap.h"

namespace fenno {

struct WaylandKeystrokesSetup {
  QDBusConnection bus;
  UserStore& store;
  std::string application;  // the store's application name for the restore token
  LayoutName layout;
  // True while one of this program's windows has the focus: nothing is typed into it.
  std::function<bool()> ownWindowFocused;
  std::function<bool()> capsLockOn;
  // Brings the target window to the front where the desktop allows it (KDE Plasma); without
  // one the keystrokes go to whatever window has the focus.
  std::shared_ptr<WindowFocuser> focuser;
};

class WaylandKeystrokes : public KeystrokeTarget {
 public:
  WaylandKeystrokes(WaylandKeystrokesSetup setup, const Clock& clock, EventPump& events,
                    Prompt& prompt, const StringTable& texts);

  bool Activate(Settings& settings) override;
  void Type(std::string_view macroText, int32_t interCharDelay) override;
  // Minimises the target again if it was minimised and gives the focus back.
  void Restore() override;

 private:
  bool PortalReady();
  bool FocusTarget(Settings& settings);
  void StartTargetOnce(const Settings& settings);
  bool StartTarget(const std::string& commandLine);
  void ReportUntypeable(unsigned char character);
  void Tell(const std::string& text);

  WaylandKeystrokesSetup setup_;
  const Clock& clock_;
  EventPump& events_;
  Prompt& prompt_;
  const StringTable& texts_;
  std::unique_ptr<XkbKeymap> keymap_;
  RemoteDesktopPortal portal_;
  std::unique_ptr<PortalKeySink> sink_;
  std::unique_ptr<KeySender> sender_;
  bool portalReported_ = false;
  bool focusNoticeGiven_ = false;
  bool targetStarted_ = false;
  std::bitset<256> reportedCharacters_;
  std::optional<FocusedTarget> focused_;
};

}  // namespace fenno
