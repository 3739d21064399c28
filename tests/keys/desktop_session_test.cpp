// Telling Wayland sessions and their desktop from the session's clues, and reading the
// desktop's keyboard layout from GNOME's and KDE's settings.

#include "keys/desktop_session.h"

#include <gtest/gtest.h>

#include "keys/keyboard_layout_name.h"

namespace fenno {
namespace {

constexpr auto kX11 = DisplayServer::X11, kWayland = DisplayServer::Wayland;
constexpr auto kOther = DesktopKind::Other, kGnome = DesktopKind::Gnome, kKde = DesktopKind::Kde;

TEST(DesktopSessionTest, DisplayServerAndDesktopFollowTheClues) {
  // The clues: session type, Wayland socket, desktop names, Plasma version, bus names.
  const std::vector<std::tuple<SessionClues, DisplayServer, DesktopKind, int>> cases = {
      {{"x11", "", "XFCE", "", {}}, kX11, kOther, 0},
      {{}, kX11, kOther, 0},
      {{"wayland", "wayland-0", "ubuntu:GNOME", "", {}}, kWayland, kGnome, 0},
      {{"", "wayland-1", "", "", {}}, kWayland, kOther, 0},
      // An X11 session wins over a nested compositor's socket.
      {{"x11", "wayland-0", "KDE", "5", {}}, kX11, kKde, 5},
      {{"Wayland", "", "KDE", "6", {}}, kWayland, kKde, 6},
      {{"wayland", "", "", "", {"org.freedesktop.portal.Desktop", kKwinBusName}},
       kWayland,
       kKde,
       0},
      {{"wayland", "", "Custom", "", {kGnomeShellBusName}}, kWayland, kGnome, 0},
      {{"wayland", "", "GNOME", "", {kKwinBusName}}, kWayland, kGnome, 0},  // the name wins
      {{"wayland", "", "KDE", "x", {}}, kWayland, kKde, 0},
  };
  for (const auto& [clues, display, desktop, plasmaVersion] : cases) {
    const DesktopSession session = DetectDesktopSession(clues);
    const std::string what = clues.sessionType + "/" + clues.currentDesktop;
    EXPECT_EQ(session.display, display) << what;
    EXPECT_EQ(session.desktop, desktop) << what;
    EXPECT_EQ(session.plasmaVersion, plasmaVersion) << what;
  }
}

TEST(KeyboardLayoutNameTest, TheFirstKeyboardLayoutOfTheSettingsCounts) {
  using Found = std::optional<LayoutName>;
  EXPECT_EQ(LayoutFromGnomeSources("[('xkb', 'de+nodeadkeys'), ('xkb', 'us')]"),
            Found(LayoutName{"de", "nodeadkeys"}));
  EXPECT_EQ(LayoutFromGnomeSources("[('ibus', 'anthy'), ('xkb', 'fr')]"),
            Found(LayoutName{"fr", ""}));
  EXPECT_EQ(LayoutFromGnomeSources("@a(ss) []"), std::nullopt);
  EXPECT_EQ(LayoutFromKdeSettings("[Layout]\nDisplayNames=,\nLayoutList=de,us\r\n"
                                  "VariantList=nodeadkeys,\nUse=true\n"),
            Found(LayoutName{"de", "nodeadkeys"}));
  EXPECT_EQ(LayoutFromKdeSettings("[Layout]\nLayoutList=fr\n"), Found(LayoutName{"fr", ""}));
  EXPECT_EQ(LayoutFromKdeSettings("[Layout]\nUse=false\nLayoutList=\n"), std::nullopt);
}

}  // namespace
}  // namespace fenno
