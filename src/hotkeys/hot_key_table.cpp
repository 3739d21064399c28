#include "hotkeys/hot_key_table.h"

#include "base/string_ids.h"
#include "base/string_table.h"

namespace fenno {

HotKeyTable LoadHotKeys(const Settings& settings) {
  HotKeyTable table;
  for (size_t i = 0; i < table.size(); ++i)
    table[i] = {settings.HotKeyCode[i], settings.HotKeyAction[i], settings.HotKeyString[i]};
  return table;
}

bool StoreHotKeys(const HotKeyTable& table, Settings& settings) {
  const bool changed = table != LoadHotKeys(settings);
  for (size_t i = 0; i < table.size(); ++i) {
    settings.HotKeyCode[i] = table[i].code;
    settings.HotKeyAction[i] = table[i].action;
    settings.HotKeyString[i] = table[i].text;
  }
  return changed;
}

std::vector<std::string> HotKeyActionNames(const Edition& edition, const StringTable& texts) {
  std::vector<std::string> names;
  for (int stored = 0; stored < edition.hotKeyActionCount; ++stored) {
    const int meaning = static_cast<int>(edition.HotKeyActionMeaning(stored));
    names.push_back(texts.Text(str::HotKeyActionName(meaning)));
  }
  return names;
}

}  // namespace fenno
