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

HotKeyTable CopyHotKeys(const Settings& settings);

// Copies all entries back; true when any code, action or string differed (the caller
// then sets ConfigModified).
bool StoreHotKeys(const HotKeyTable& table, Settings& settings);

// The action list of the dialog, by stored action number of this program.
std::vector<std::string> HotKeyActionNames(const Edition& edition, const StringTable& texts);

}  // namespace fenno
