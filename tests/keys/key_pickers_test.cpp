// The keystroke picker's list and macro texts; the hot-key picker's codes.

#include "keys/key_pickers.h"

#include <gtest/gtest.h>

#include "hotkeys/hot_key_names.h"
#include "keys/fake_keys.h"
#include "keys/key_macro.h"

namespace fenno {
namespace {

struct PickCase {
  std::string entry;
  bool alt, ctrl, shift;
  std::string text;
};

TEST(PickKeystroke, MacroTextOfAnEntryAndTheBoxes) {
  const PickCase cases[] = {
      {"ENTER", false, false, true, "+{ENTER}"}, {"F5", false, true, false, "^{F5}"},
      {"a", true, false, false, "%a"},           {"a", true, true, true, "+^%a"},
      {"~", false, false, false, "{~}"},         {"+", false, true, false, "^{+}"},
      {"(", false, false, false, "{(}"},         {"SPACE", false, false, false, " "},
      {"SPACE", false, true, false, "^ "},       {"NUL", true, true, true, "NUL"},
      {"\xE9", false, true, false, "\xE9"},
  };
  for (const PickCase& c : cases)
    EXPECT_EQ(PickKeystroke(c.entry, c.alt, c.ctrl, c.shift), c.text) << c.entry;
}

// Whatever the picker offers, with any boxes, is text the key sender accepts; "NUL" is
// the translation table's "type nothing" and never reaches the sender.
TEST(PickKeystroke, EveryEntryWithEveryBoxParses) {
  const auto& list = KeystrokePickList();
  ASSERT_EQ(list.size(), 39u + 94u + 95u);
  testing::FakeKeySink sink;
  sink.bindsKeylessCharacters = true;
  KeyMacro macro(sink);
  for (const std::string& entry : list) {
    if (entry == "NUL") continue;
    for (int boxes = 0; boxes < 8; ++boxes) {
      const std::string text = PickKeystroke(entry, boxes & 1, boxes & 2, boxes & 4);
      EXPECT_EQ(macro.ParseKeyMacro(text), kMacroOk) << entry << " -> " << text;
      EXPECT_FALSE(macro.Queue().empty()) << text;
    }
  }
}

TEST(PickHotKey, EveryPositionGivesItsKeyAndItsName) {
  for (int position = 0; position < kKeyPickCount; ++position) {
    for (int boxes = 0; boxes < 8; ++boxes) {
      const PickedHotKey picked = PickHotKey(position, boxes & 1, boxes & 2, boxes & 4);
      const int key = KeyPickList()[static_cast<size_t>(position)];
      EXPECT_EQ(picked.code & 255, key);
      EXPECT_EQ(picked.code >> 8, (boxes & 1 ? 4 : 0) | (boxes & 2 ? 2 : 0) | (boxes & 4 ? 1 : 0));
      EXPECT_EQ(picked.text, HotKeyText(picked.code));
      EXPECT_TRUE(picked.text.ends_with(KeyName(key))) << picked.text;
    }
  }
}

}  // namespace
}  // namespace fenno
