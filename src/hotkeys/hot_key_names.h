#pragma once

// Names of keys as the hot-key dialog and the hot-key picker show them ("SHIFT+CTRL+F2"),
// and the rules by which the dialog's key box and the picker turn a key into a code.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace fenno {

inline constexpr int kKeyNameCount = 226;  // virtual keys 0..225 have a table entry
inline constexpr int kKeyPickCount = 100;

// The table entry of a virtual key: "F2", "Gray *", "None" for 0; "" for keys without a
// name and for codes outside the table.
std::string_view KeyName(int virtualKey);

// The virtual keys of the hot-key picker's list, in list order.
const std::array<int, kKeyPickCount>& KeyPickList();

// The display text of a hot-key code: "SHIFT+", "CTRL+", "ALT+" as the code has them,
// then the key's name. A key without a name is shown by its number.
std::string HotKeyText(int code);

struct PickedHotKey {
  int code = 0;
  std::string text;
};

// A key pressed in the key box: nothing for a modifier key alone, else its code and text.
// `modifiers` holds 1 Shift, 2 Ctrl, 4 Alt.
std::optional<PickedHotKey> RecordHotKey(int virtualKey, int modifiers);

// The picker's OK: the key at `position` of the list with the checked modifiers.
PickedHotKey PickHotKey(int position, bool alt, bool ctrl, bool shift);

}  // namespace fenno
