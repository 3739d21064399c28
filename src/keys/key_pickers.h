#pragma once

// The keystroke picker (GetAKey): its list of keys and the macro text a chosen key with
// the checked modifier boxes becomes. The hot-key picker's list and codes are in
// hotkeys/hot_key_names.h.

#include <string>
#include <vector>

namespace fenno {

// Named keys first ("NUL", "SPACE", "ENTER", ... "F16"), then the characters 33-126 and
// 161-255 (8-bit text), each as its own entry.
const std::vector<std::string>& KeystrokePickList();

// The macro text of an entry of the list: "^{F5}", "%a", "{~}", "+{ENTER}". "NUL" (the
// keystroke table's "type nothing") ignores the boxes; SPACE is a plain blank; a
// character above 127 has no key of its own to hold modifiers with and stays bare.
std::string PickKeystroke(const std::string& entry, bool alt, bool ctrl, bool shift);

}  // namespace fenno
