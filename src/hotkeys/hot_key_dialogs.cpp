#include "hotkeys/hot_key_dialogs.h"

#include <string>

#include "engine/output_text_ids.h"
#include "hotkeys/hot_key_names.h"

namespace fenno {

DialogCheck CheckHotKeyChoice(const HotKeyTable& table, size_t entry, int code,
                              const KeyOnLayout& onLayout) {
  const int key = code & 255;
  if (key == 0) return DialogCheck::Accept();
  for (size_t other = 0; other < table.size(); ++other) {
    if (other == entry || table[other].code != code || table[other].action == 0) continue;
    return DialogCheck::Refuse(str::kHotKeyTaken, str::kHotKeyTakenTitle, "HKKey",
                               {HotKeyText(code), std::to_string(other + 1)});
  }
  if (onLayout && !onLayout(key))
    return DialogCheck::Refuse(str::kHotKeyMissingOnLayout, str::kInvalidKeyTitle, "HKKey",
                               {HotKeyText(code)});
  return DialogCheck::Accept();
}

}  // namespace fenno
