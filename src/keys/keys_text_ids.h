#pragma once

// String-table numbers of the keystroke output messages (data in src/base/strings/keys.*.txt).

namespace fenno::str {

inline constexpr int kCannotRunProgram = 10201;       // followed by " <command line>\r<reason>"
inline constexpr int kComfennoErrorTitle = 10202;     // the same title in both programs
inline constexpr int kProgramShowedNoWindow = 10203;  // %1 = command line, %2 = seconds
inline constexpr int kNoDisplay = 10204;              // %1 = display name
inline constexpr int kKeystrokeErrorTitle = 10205;    // title of the display messages
inline constexpr int kNoXTest = 10206;                // %1 = display name
inline constexpr int kEmptyCommandLine = 10207;       // reason when the command names no program

}  // namespace fenno::str
