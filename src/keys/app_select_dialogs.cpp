#include "keys/app_select_dialogs.h"

#include <algorithm>
#include <string_view>

namespace fenno {

DialogCheck CheckAppSelection(const AppSelection& typed) {
  DialogCheck check = CheckSingleLine(typed.title, "AppName");
  return check.Accepted() ? CheckSingleLine(typed.command, "AppCmd") : check;
}

std::string CommandLineOfProgram(const std::string& path) {
  const bool plain = std::all_of(path.begin(), path.end(), [](char c) {
    return std::string_view(" \t\r\n'\"\\").find(c) == std::string_view::npos;
  });
  if (plain && !path.empty()) return path;
  // Inside single quotes nothing is special; a quote itself closes, is escaped, reopens.
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::vector<std::string> OpenWindowTitles(WindowSystem& windows) {
  std::vector<std::string> titles;
  for (const TopLevelWindow& window : windows.WindowsInZOrder()) {
    if (window.title.empty() || windows.IsOwnWindow(window.id)) continue;
    if (std::find(titles.begin(), titles.end(), window.title) == titles.end())
      titles.push_back(window.title);
  }
  return titles;
}

}  // namespace fenno
