// Key names, the hot-key picker and key box rules, the dialog's table, and the names the
// global shortcuts portal gives hot keys.

#include "hotkeys/hot_key_names.h"

#include <gtest/gtest.h>

#include <set>

#include "base/string_table.h"
#include "hotkeys/hot_key_dialogs.h"
#include "hotkeys/hot_key_table.h"
#include "hotkeys/portal_shortcuts.h"

namespace fenno {
namespace {

// Names where the table has gaps; the picker lists named keys only, each once, "None" first.
TEST(KeyName, GapsAndThePickList) {
  for (int key : {44, 108, 128, 225, 226, -1}) EXPECT_EQ(KeyName(key), "") << key;
  const auto& list = KeyPickList();
  EXPECT_EQ(KeyName(list[0]), "None");
  EXPECT_EQ(std::set<int>(list.begin(), list.end()).size(), list.size());
  for (int key : list) EXPECT_FALSE(KeyName(key).empty()) << key;
}

TEST(HotKeyText, ModifiersInFixedOrderThenTheNameAlsoForRecordedKeys) {
  const std::pair<int, std::string> cases[] = {
      {0, "None"},
      {625, "CTRL+F2"},
      {7 * 256 + 65, "SHIFT+CTRL+ALT+A"},
      {256 + 13, "SHIFT+ENTER"},
      {2 * 256 + 231, "CTRL+#231"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(HotKeyText(code), text) << code;
  // Shift, Ctrl and Alt pressed alone are no hot key.
  for (int modifierKey : {16, 17, 18}) EXPECT_FALSE(RecordHotKey(modifierKey, 2).has_value());
  EXPECT_EQ(RecordHotKey(113, 1 | 2 | 4)->text, "SHIFT+CTRL+ALT+F2");
}

TEST(HotKeyTable, OkStoresEverythingAndTellsWhetherAnythingChanged) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  settings.HotKeyCode[4] = 625;
  settings.HotKeyString[4] = std::string("A\0B", 3);
  EXPECT_FALSE(StoreHotKeys(LoadHotKeys(settings), settings));

  const auto changed = [&](auto edit) {
    HotKeyTable table = LoadHotKeys(settings);
    edit(table);
    Settings copy = settings;
    const bool result = StoreHotKeys(table, copy);
    EXPECT_EQ(LoadHotKeys(copy), table);
    return result;
  };
  EXPECT_TRUE(changed([](HotKeyTable& t) { t[49].code = 113; }));
  EXPECT_TRUE(changed([](HotKeyTable& t) { t[0].action = 1; }));
  EXPECT_TRUE(changed([](HotKeyTable& t) { t[4].text = std::string("A\0C", 3); }));
  EXPECT_FALSE(changed([](HotKeyTable&) {}));

  // The action list follows each program's own numbering.
  const auto names = [](const Edition& edition) {
    return HotKeyActionNames(edition, StringTable(edition.kind, Language::English));
  };
  ASSERT_EQ(names(NetfennoEdition()).size(), 8u);
  EXPECT_EQ(names(NetfennoEdition())[4], "Reset Netfenno");
  EXPECT_EQ(names(ComfennoEdition()).at(10), "Reset Comfenno");
}

// A key the table has for another acting entry, or the layout lacks, is refused; "None"
// and keys of entries without an action are free.
TEST(HotKeyTable, ChoosingAKeyRefusesTakenAndMissingKeys) {
  HotKeyTable table;
  table[0] = {625, 1, ""};  // CTRL+F2, Transmit String
  table[1] = {113, 0, ""};  // F2 without an action
  const auto noF5 = [](int key) { return key != 116; };
  const struct {
    size_t entry;
    int code;
    std::string field;
    std::vector<std::string> arguments;
  } cases[] = {
      {2, 625, "HKKey", {"CTRL+F2", "1"}},
      {0, 625, "", {}},           // its own key again
      {2, 113, "", {}},           // the entry with it has no action
      {2, 256 + 113, "", {}},     // SHIFT+F2 is another combination
      {2, 116, "HKKey", {"F5"}},  // not on the layout
      {2, 2 * 256, "", {}},       // "None" clears
  };
  for (const auto& c : cases) {
    const DialogCheck check = CheckHotKeyChoice(table, c.entry, c.code, noF5);
    EXPECT_EQ(check.field, c.field) << c.code;
    EXPECT_EQ(check.arguments, c.arguments) << c.code;
  }
  EXPECT_TRUE(CheckHotKeyChoice(table, 2, 116).Accepted());  // no layout to ask
}

TEST(PortalShortcutsTest, CodesBecomeIdsAndTriggers) {
  const struct {
    int code;
    const char* trigger;
  } cases[] = {
      {0x271, "CTRL+F2"},  {0x741, "CTRL+ALT+SHIFT+a"},
      {0x130, "SHIFT+0"},  {0x460, "ALT+KP_0"},
      {0x0D, "Return"},    {0x2BA, "CTRL+semicolon"},
      {0x287, "CTRL+F24"}, {0x214, ""},  // Caps Lock cannot be a shortcut
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortcutTrigger(c.code), c.trigger) << c.code;
    EXPECT_EQ(CodeOfShortcutId(ShortcutId(c.code)), c.code);
  }
  for (const char* notOurs : {"hotkey-", "hotkey-12x", "other-12"})
    EXPECT_EQ(CodeOfShortcutId(notOurs), std::nullopt) << notOurs;
}

}  // namespace
}  // namespace fenno
