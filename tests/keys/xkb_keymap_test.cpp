// Characters to keys on real layouts compiled from the system's XKB data.

#include "keys/xkb_keymap.h"

#include <gtest/gtest.h>

#include <map>

#include "keys/key_sink.h"
#include "keys/virtual_keys.h"

namespace fenno {
namespace {

// Linux input codes of the keys the cases use.
constexpr unsigned kKey0 = 11, kKey2 = 3, kKeyMinus = 12, kKeyEqual = 13, kKeyQ = 16, kKeyE = 18,
                   kKeyY = 21, kKeyLeftBrace = 26, kKeyA = 30, kKeyGrave = 41, kKeyZ = 44,
                   kKeySpace = 57;

const XkbKeymap& Layout(const std::string& name) {
  static std::map<std::string, std::unique_ptr<XkbKeymap>> layouts;
  auto& keymap = layouts[name];
  if (!keymap) {
    std::string why;
    keymap = XkbKeymap::FromNames(name, "", &why);
    if (!keymap) ADD_FAILURE() << name << ": " << why;
  }
  return *keymap;
}

struct CharacterCase {
  const char* layout;
  unsigned char character;
  std::vector<KeyStroke> strokes;  // empty: the layout cannot type it
  bool onVirtualKey;               // typed by a virtual key (with or without Shift)
};

TEST(XkbKeymapTest, CharactersMapToTheKeysThatTypeThem) {
  const CharacterCase cases[] = {
      {"us", 'a', {{kKeyA}}, true},
      {"us", 'A', {{kKeyA, true}}, true},
      {"us", '@', {{kKey2, true}}, true},
      {"us", 0xE9, {}, false},  // é: no key, no dead key
      {"de", 'z', {{kKeyY}}, true},
      {"de", 0xDF, {{kKeyMinus}}, true},               // ß on its own key
      {"de", '@', {{kKeyQ, false, true}}, false},      // AltGr+Q
      {"de", 0xE9, {{kKeyEqual}, {kKeyE}}, false},     // dead acute, then e
      {"de", '^', {{kKeyGrave}, {kKeySpace}}, false},  // dead circumflex, then space
      {"fr", 0xE9, {{kKey2}}, true},
      {"fr", '2', {{kKey2, true}}, true},
      {"fr", '@', {{kKey0, false, true}}, false},
      {"fr", 0xEA, {{kKeyLeftBrace}, {kKeyE}}, false},  // ê: dead circumflex, then e
  };
  for (const CharacterCase& c : cases) {
    const XkbKeymap& keymap = Layout(c.layout);
    const std::string what = std::string(c.layout) + " " + std::to_string(c.character);
    EXPECT_EQ(keymap.StrokesOf(c.character), c.strokes) << what;
    const int key = keymap.CharToKey(c.character);
    if (c.onVirtualKey) {
      ASSERT_EQ(key & kCharacterKeyBit, 0) << what;
      EXPECT_EQ(keymap.KeycodeOfVk(key & 0xFF), c.strokes[0].keycode) << what;
      EXPECT_EQ((key & kKeyShiftBit) != 0, c.strokes[0].shift) << what;
    } else {
      EXPECT_EQ(key, kCharacterKeyBit | c.character) << what;
    }
  }
}

TEST(XkbKeymapTest, LettersDigitsAndModifiersFollowTheLayout) {
  EXPECT_EQ(Layout("fr").KeycodeOfVk('A'), kKeyQ);
  EXPECT_EQ(Layout("us").KeycodeOfVk(vk::kEnter), 28u);
  EXPECT_EQ(Layout("us").ShiftKeycode(), 42u);
  EXPECT_EQ(Layout("de").AltGrKeycode(), 100u);
  EXPECT_EQ(Layout("us").CharToKey(1), kNoKey);
  EXPECT_EQ(Layout("us").CharToKey('\r'), vk::kEnter);
}

TEST(XkbKeymapTest, AnUnknownLayoutIsRefusedWithTheReason) {
  std::string why;
  EXPECT_EQ(XkbKeymap::FromNames("no-such-layout", "", &why), nullptr);
  EXPECT_NE(why.find("no-such-layout"), std::string::npos);
}

}  // namespace
}  // namespace fenno
