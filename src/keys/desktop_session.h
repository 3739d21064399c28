#pragma once

// Which kind of desktop session the program runs in, told from the session's environment
// and the services on its bus. Qt's platform name cannot tell: under XWayland the program
// itself talks X11 while the other programs' windows are Wayland windows that XTest never
// reaches.

#include <string>
#include <vector>

namespace fenno {

enum class DisplayServer { X11, Wayland };
enum class DesktopKind { Other, Gnome, Kde };

struct DesktopSession {
  DisplayServer display = DisplayServer::X11;
  DesktopKind desktop = DesktopKind::Other;
  int plasmaVersion = 0;  // KDE: the Plasma major version when known, else 0
};

// What the session shows of itself.
struct SessionClues {
  std::string sessionType;            // XDG_SESSION_TYPE
  std::string waylandDisplay;         // WAYLAND_DISPLAY
  std::string currentDesktop;         // XDG_CURRENT_DESKTOP, colon-separated names
  std::string kdeSessionVersion;      // KDE_SESSION_VERSION
  std::vector<std::string> busNames;  // well-known names owned on the session bus
};

inline constexpr char kGnomeShellBusName[] = "org.gnome.Shell";
inline constexpr char kKwinBusName[] = "org.kde.KWin";

DesktopSession DetectDesktopSession(const SessionClues& clues);

}  // namespace fenno
