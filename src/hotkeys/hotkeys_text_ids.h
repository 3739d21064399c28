#pragma once

// String-table numbers of the hot-key messages (data in src/base/strings/hotkeys.*.txt).

namespace fenno::str {

inline constexpr int kHotKeysNoDisplay = 10501;  // %1 = display name
inline constexpr int kHotKeysTitle = 10502;
inline constexpr int kHotKeyInUse = 10503;        // %1 = the key, "CTRL+F2"
inline constexpr int kHotKeyNotOnLayout = 10504;  // %1 = the key

}  // namespace fenno::str
