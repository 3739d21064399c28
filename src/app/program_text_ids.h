#pragma once

// String-table numbers of the program start-up messages (data in src/base/strings/program.*.txt).

namespace fenno::str {

inline constexpr int kConfigNotReadable = 10601;  // %1 = the path as given
inline constexpr int kWindowsNotAvailable = 10602;
inline constexpr int kInputEndedWhileSuspended = 10603;

}  // namespace fenno::str
