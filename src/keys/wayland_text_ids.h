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
inline constexpr int kNoGlobalShortcutsPortal = 11406;
inline constexpr int kKeyboardPermissionEnded = 11407;
// --command: sending one command to the running program.
inline constexpr int kNoSessionBusForCommand = 11410;
inline constexpr int kSeveralEnginesRun = 11411;  // %1 = their bus names
inline constexpr int kNoEngineAnswered = 11412;
inline constexpr int kCommandAccepted = 11413;  // %1 = the command
inline constexpr int kCommandRefused = 11414;   // %1 = the command

}  // namespace fenno::str
