#pragma once

// String-table numbers of the messages about Wayland desktops (data in
// src/base/strings/wayland.*.txt).

namespace fenno::str {

inline constexpr int kWaylandTitle = 11400;
inline constexpr int kKeyboardConsentDeclined = 11401;
inline constexpr int kNoRemoteDesktopPortal = 11402;
inline constexpr int kCharacterNotOnLayout = 11403;  // %1 = layout, %2 = the character
inline constexpr int kFocusedWindowOnly = 11404;
inline constexpr int kLayoutNotCompiled = 11405;  // %1 = layout, %2 = reason

}  // namespace fenno::str
