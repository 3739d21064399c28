// Telling Wayland sessions and their desktop from the session's clues.

#include "keys/desktop_session.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

struct SessionCase {
  const char* what;
  SessionClues clues;
  DisplayServer display;
  DesktopKind desktop;
  int plasmaVersion;
};

TEST(DesktopSessionTest, DisplayServerAndDesktopFollowTheClues) {
  const SessionCase cases[] = {
      {"plain X11 session", {"x11", "", "XFCE", "", {}}, DisplayServer::X11, DesktopKind::Other, 0},
      {"no clues at all", {}, DisplayServer::X11, DesktopKind::Other, 0},
      {"GNOME on Wayland (Ubuntu)",
       {"wayland", "wayland-0", "ubuntu:GNOME", "", {}},
       DisplayServer::Wayland,
       DesktopKind::Gnome,
       0},
      {"type unset, Wayland socket given",
       {"", "wayland-1", "", "", {}},
       DisplayServer::Wayland,
       DesktopKind::Other,
       0},
      {"X11 session wins over a nested compositor's socket",
       {"x11", "wayland-0", "KDE", "5", {}},
       DisplayServer::X11,
       DesktopKind::Kde,
       5},
      {"Plasma 6, type in capitals",
       {"Wayland", "", "KDE", "6", {}},
       DisplayServer::Wayland,
       DesktopKind::Kde,
       6},
      {"desktop unknown by name, KWin on the bus",
       {"wayland", "", "", "", {"org.freedesktop.portal.Desktop", "org.kde.KWin"}},
       DisplayServer::Wayland,
       DesktopKind::Kde,
       0},
      {"desktop unknown by name, GNOME Shell on the bus",
       {"wayland", "", "Custom", "", {"org.gnome.Shell"}},
       DisplayServer::Wayland,
       DesktopKind::Gnome,
       0},
      {"the name outranks the bus",
       {"wayland", "", "GNOME", "", {"org.kde.KWin"}},
       DisplayServer::Wayland,
       DesktopKind::Gnome,
       0},
      {"unreadable version",
       {"wayland", "", "KDE", "x", {}},
       DisplayServer::Wayland,
       DesktopKind::Kde,
       0},
  };
  for (const SessionCase& c : cases) {
    const DesktopSession session = DetectDesktopSession(c.clues);
    EXPECT_EQ(session.display, c.display) << c.what;
    EXPECT_EQ(session.desktop, c.desktop) << c.what;
    EXPECT_EQ(session.plasmaVersion, c.plasmaVersion) << c.what;
  }
}

}  // namespace
}  // namespace fenno
