#pragma once

// String-table numbers of the terminal window's own texts (data in
// src/base/strings/terminal.*.txt); its table texts are in base/string_ids.h (1401-1415).

namespace fenno::str {

inline constexpr int kTerminalHexDump = 11100;  // check box: the view as a hex dump
// The view holds only the latest bytes: %1 the bytes shown, %2 all received.
inline constexpr int kTerminalViewCut = 11101;

}  // namespace fenno::str
