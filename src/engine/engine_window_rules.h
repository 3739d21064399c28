#pragma once

// What the engine window decides, as plain functions the window only carries out: the
// place it opens at and remembers, the tip of its notification-area icon, its menu
// states, its line buttons, and what minimising does.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "config/user_store.h"

namespace fenno {

class Engine;

// ---------------------------------------------------------------------------------------
// Place

// Positions and screen areas in pixels.
struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool Contains(ScreenPoint point) const {
    return point.x >= left && point.x < left + width && point.y >= top && point.y < top + height;
  }
};

// The per-user store keeps the place of each port's engine window apart: application
// "Comfenno - COM1", section "Settings", values "MainLeft" and "MainTop" (pixels).
inline constexpr char kEngineStoreSection[] = "Settings";
inline constexpr char kEngineStoreLeft[] = "MainLeft";
inline constexpr char kEngineStoreTop[] = "MainTop";
std::string EngineStoreApplication(const Edition& edition, std::string_view portName);

// Where the window opens: the stored place; nullopt (the desktop places it) when the
// edition keeps no place, nothing is stored or a stored value is not a whole number. A
// place whose top-left corner lies on none of `screens` (a monitor since removed) moves
// to the top-left corner of the first screen, so the window can always be reached.
std::optional<ScreenPoint> LoadEnginePosition(const UserStore& store, const Edition& edition,
                                              std::string_view portName,
                                              std::span<const ScreenRect> screens);
// Remembers the place the window had when it closed (not minimised); nothing for an
// edition that keeps no place.
void StoreEnginePosition(UserStore& store, const Edition& edition, std::string_view portName,
                         ScreenPoint position);

// ---------------------------------------------------------------------------------------
// Connection

// The TCP program's caption carries its connection: the engine's caption, " - " and the
// socket state's text (0..9 as the terminal window numbers them), and while a peer is
// connected to the server, "to" and the peer's address, so the user sees who feeds the
// records. `peerAddress` is "" in client mode (the caption names the host already).
std::string CaptionWithConnection(std::string_view caption, int socketState,
                                  std::string_view peerAddress, const StringTable& strings);

// ---------------------------------------------------------------------------------------
// Notification area and window states

// The icon's tip: the caption, at most 63 characters (whole UTF-8 characters).
inline constexpr size_t kTrayTipCharacters = 63;
std::string TrayTip(std::string_view caption);

// What the window does when it is minimised or shown again. With always-on-top it is
// topmost only while not minimised; a minimised window is hidden only when a notification
// area exists to bring it back from (otherwise it stays on the task bar).
struct WindowStateAction {
  bool hide = false;
  bool topmost = false;
  bool operator==(const WindowStateAction&) const = default;
};
WindowStateAction OnWindowState(bool minimised, bool alwaysOnTop, bool trayAvailable);

// ---------------------------------------------------------------------------------------
// Menus and buttons

// The Quit menu as the engine's state has it.
struct QuitMenuState {
  std::string suspendCaption;  // "&Suspend Fenno" or "Re&sume Comfenno" (UTF-8)
  bool resumeForOneRecordVisible = false;
  std::string timedOutputCaption;  // "&Disable Timed Output" or "&Enable Timed Output"
  bool timedOutputVisible = false;
  bool timedOutputEnabled = false;
};
QuitMenuState QuitMenuOf(const Engine& engine);

// Output-string button 1..20 is shown when its string is not empty.
bool OutputButtonShown(const Settings& settings, int button);

// The DTR toggle and BREAK buttons: bits 0 and 1 of EngineButtons, in editions with
// serial lines only.
struct LineButtons {
  bool dtr = false;
  bool brk = false;
  bool operator==(const LineButtons&) const = default;
};
LineButtons LineButtonsShown(const Edition& edition, int engineButtons);

}  // namespace fenno
