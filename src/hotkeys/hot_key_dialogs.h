#pragma once

// The hot-key dialog's (HotKeyFrm) rules beyond loading and storing the table
// (hot_key_table.h): which keys an entry may take, and which boxes each action shows.

#include <functional>

#include "base/dialog_check.h"
#include "hotkeys/hot_key_table.h"

namespace fenno {

// Whether the keyboard layout in use has a key for a virtual-key code.
using KeyOnLayout = std::function<bool(int virtualKey)>;

// A key recorded or picked for entry `entry` (0-based): refused when another entry that
// has an action already uses the same combination (both would act on one press), or when
// the layout has no such key. Field "HKKey". Code 0 ("None") clears the key and is always
// taken; without `onLayout` every key counts as present.
DialogCheck CheckHotKeyChoice(const HotKeyTable& table, size_t entry, int code,
                              const KeyOnLayout& onLayout = {});

// "Transmit String" (stored action 1 in both programs) shows the output string box.
inline bool HotKeyShowsString(int action) {
  return action == 1;
}
// An entry without an action has no key to record.
inline bool HotKeyTakesKey(int action) {
  return action != 0;
}

}  // namespace fenno
