#include "keys/desktop_session.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

namespace fenno {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool IsWayland(const SessionClues& clues) {
  const std::string type = Lower(clues.sessionType);
  if (type == "wayland") return true;
  // An explicit X11 session with WAYLAND_DISPLAY set is a nested compositor's business.
  if (type == "x11") return false;
  return !clues.waylandDisplay.empty();
}

DesktopKind DesktopFromNames(std::string_view names) {
  while (!names.empty()) {
    const size_t colon = names.find(':');
    const std::string name = Lower(names.substr(0, colon));
    if (name == "gnome" || name == "gnome-classic") return DesktopKind::Gnome;
    if (name == "kde") return DesktopKind::Kde;
    names = colon == std::string_view::npos ? std::string_view() : names.substr(colon + 1);
  }
  return DesktopKind::Other;
}

bool OnBus(const SessionClues& clues, std::string_view name) {
  return std::find(clues.busNames.begin(), clues.busNames.end(), name) != clues.busNames.end();
}

}  // namespace

DesktopSession DetectDesktopSession(const SessionClues& clues) {
  DesktopSession session;
  session.display = IsWayland(clues) ? DisplayServer::Wayland : DisplayServer::X11;
  session.desktop = DesktopFromNames(clues.currentDesktop);
  if (session.desktop == DesktopKind::Other) {
    if (OnBus(clues, kKwinBusName))
      session.desktop = DesktopKind::Kde;
    else if (OnBus(clues, kGnomeShellBusName))
      session.desktop = DesktopKind::Gnome;
  }
  if (session.desktop == DesktopKind::Kde) {
    const std::string& version = clues.kdeSessionVersion;
    std::from_chars(version.data(), version.data() + version.size(), session.plasmaVersion);
  }
  return session;
}

}  // namespace fenno
