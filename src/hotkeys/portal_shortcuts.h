#pragma once

// Hot keys as the desktop portal's global shortcuts name them: an id per hot-key code and
// the preferred trigger in the shortcuts format ("CTRL+SHIFT+F2", "ALT+a").

#include <optional>
#include <string>
#include <string_view>

namespace fenno {

std::string ShortcutId(int code);
std::optional<int> CodeOfShortcutId(std::string_view id);
// "" when the virtual key has no name the portal knows.
std::string ShortcutTrigger(int code);

}  // namespace fenno
