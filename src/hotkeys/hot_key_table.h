#pragma once

// The working copy the hot-key dialog edits, and what its OK button stores.

#include <array>
#include <string>
#include <vector>

#include "config/edition.h"
#include "config/settings.h"

namespace fenno {

class StringTable;

struct HotKeyEntry {
  int16_t code = 0;
  int16_t action = 0;
  std::string text;  // HotKeyString

  bool operator==(const HotKeyEntry&) const = default;
};

using HotKeyTable = std::array<HotKeyEntry, kHotKeys>;

// The hot-key dialog's rules (base/dialog_check.h): what it shows, and its OK, which
// copies all entries back and answers true when any code, action or string differed.
HotKeyTable LoadHotKeys(const Settings& settings);
bool StoreHotKeys(const HotKeyTable& table, Settings& settings);

// The action list of the dialog, by stored action number of this program.
std::vector<std::string> HotKeyActionNames(const Edition& edition, const StringTable& texts);

}  // namespace fenno
