#include "keys/xkb_keymap.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <utility>

#include "keys/key_sink.h"
#include "keys/virtual_keys.h"
#include "keys/x11_key_symbols.h"

namespace fenno {
namespace {

// Linux input codes are X key codes less 8.
constexpr unsigned kEvdevOffset = 8;
constexpr unsigned kRightAltKeycode = 108;  // X key code of the right Alt (AltGr) key

using key_symbols::kNamedKeys;
using key_symbols::kPunctuationKeys;
using key_symbols::kSpareVks;

// The modifier combinations tried, the plainest first.
struct Level {
  bool shift;
  bool altGr;
};
constexpr Level kLevels[] = {{false, false}, {true, false}, {false, true}, {true, true}};

bool IsLatin1Character(xkb_keysym_t keysym) {
  return (keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF);
}

bool IsDeadKey(xkb_keysym_t keysym) {
  return keysym >= XKB_KEY_dead_grave && keysym <= XKB_KEY_dead_greek;
}

// The code point of a UTF-8 text of exactly one character, or 0.
char32_t SingleCodePoint(const char* utf8, int length) {
  const auto byte = [utf8](int i) { return static_cast<unsigned char>(utf8[i]); };
  if (length == 1) return byte(0);
  if (length == 2 && (byte(0) & 0xE0) == 0xC0) return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
  return 0;
}

// Translates keys with a fixed set of modifiers, in the first layout.
class Translator {
 public:
  Translator(xkb_keymap* keymap, Level level) : state_(xkb_state_new(keymap)) {
    xkb_mod_mask_t mask = 0;
    if (level.shift) mask |= 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
    if (level.altGr) mask |= 1u << xkb_keymap_mod_get_index(keymap, "Mod5");
    xkb_state_update_mask(state_, mask, 0, 0, 0, 0, 0);
  }
  ~Translator() { xkb_state_unref(state_); }
  Translator(const Translator&) = delete;
  Translator& operator=(const Translator&) = delete;
  xkb_keysym_t operator()(xkb_keycode_t keycode) const {
    return xkb_state_key_get_one_sym(state_, keycode);
  }

 private:
  xkb_state* state_;
};

}  // namespace

std::unique_ptr<XkbKeymap> XkbKeymap::FromNames(const std::string& layout,
                                                const std::string& variant, std::string* why) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
  if (!context) {
    if (why) *why = "xkbcommon cannot start";
    return nullptr;
  }
  // The reason goes to the caller, who tells the user in their language.
  xkb_context_set_log_level(context, XKB_LOG_LEVEL_CRITICAL);
  const xkb_rule_names names{"evdev", "pc105", layout.c_str(), variant.c_str(), ""};
  xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (!keymap) {
    if (why) *why = "the keyboard layout \"" + layout + "\" cannot be compiled";
    xkb_context_unref(context);
    return nullptr;
  }
  return std::unique_ptr<XkbKeymap>(new XkbKeymap(context, keymap));
}

XkbKeymap::XkbKeymap(xkb_context* context, xkb_keymap* keymap)
    : context_(context), keymap_(keymap), vkOfKeycode_(xkb_keymap_max_keycode(keymap) + 1, 0) {
  FindModifierKeys();
  FindDirectStrokes();
  FindDeadKeyStrokes();
  AssignVirtualKeys();
}

XkbKeymap::~XkbKeymap() {
  xkb_keymap_unref(keymap_);
  xkb_context_unref(context_);
}

void XkbKeymap::FindModifierKeys() {
  shiftKeycode_ = FindKeycode(XKB_KEY_Shift_L, false);
  const Translator plain(keymap_, kLevels[0]);
  altGrKeycode_ = plain(kRightAltKeycode) == XKB_KEY_ISO_Level3_Shift
                      ? kRightAltKeycode - kEvdevOffset
                      : FindKeycode(XKB_KEY_ISO_Level3_Shift, false);
}

void XkbKeymap::FindDirectStrokes() {
  for (const Level level : kLevels) {
    if (level.altGr && !altGrKeycode_) continue;
    const Translator translate(keymap_, level);
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap_);
         key <= xkb_keymap_max_keycode(keymap_); ++key) {
      const xkb_keysym_t keysym = translate(key);
      if (IsLatin1Character(keysym) && strokes_[keysym].empty())
        strokes_[keysym] = {{key - kEvdevOffset, level.shift, level.altGr}};
    }
  }
}

// Characters no key types directly may come from a dead key and the key after it.
void XkbKeymap::FindDeadKeyStrokes() {
  xkb_compose_table* table =
      xkb_compose_table_new_from_locale(context_, "en_US.UTF-8", XKB_COMPOSE_COMPILE_NO_FLAGS);
  if (!table) return;
  xkb_compose_state* compose = xkb_compose_state_new(table, XKB_COMPOSE_STATE_NO_FLAGS);
  const auto direct = strokes_;
  for (const Level level : kLevels) {
    if (level.altGr && !altGrKeycode_) continue;
    const Translator translate(keymap_, level);
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap_);
         key <= xkb_keymap_max_keycode(keymap_); ++key) {
      const xkb_keysym_t dead = translate(key);
      if (!IsDeadKey(dead)) continue;
      for (unsigned base = 0; base < direct.size(); ++base) {
        if (direct[base].empty()) continue;
        xkb_compose_state_reset(compose);
        xkb_compose_state_feed(compose, dead);
        xkb_compose_state_feed(compose, base);
        if (xkb_compose_state_get_status(compose) != XKB_COMPOSE_COMPOSED) continue;
        char utf8[8] = {};
        const int length = xkb_compose_state_get_utf8(compose, utf8, sizeof utf8);
        const char32_t result = SingleCodePoint(utf8, length);
        if (IsLatin1Character(result) && strokes_[result].empty())
          strokes_[result] = {{key - kEvdevOffset, level.shift, level.altGr}, direct[base].front()};
      }
    }
  }
  xkb_compose_state_unref(compose);
  xkb_compose_table_unref(table);
}

void XkbKeymap::AssignVirtualKeys() {
  for (const auto& [vkCode, keysym] : kNamedKeys) AssignVk(vkCode, FindKeycode(keysym, true));
  for (int i = 0; i < 10; ++i) AssignVk(vk::kNumPad0 + i, FindKeycode(XKB_KEY_KP_0 + i, true));
  for (int i = 0; i < 16; ++i) AssignVk(vk::kF1 + i, FindKeycode(XKB_KEY_F1 + i, true));
  for (int i = 0; i < 26; ++i) AssignVk(vk::kLetterA + i, FindKeycode('a' + i, false));
  for (int i = 0; i < 10; ++i) AssignVk(vk::kDigit0 + i, FindKeycode('0' + i, false));
  for (const auto& [vkCode, character] : kPunctuationKeys) {
    const std::vector<KeyStroke>& strokes = strokes_[static_cast<unsigned char>(character)];
    if (strokes.size() == 1 && !strokes[0].shift && !strokes[0].altGr &&
        !vkOfKeycode_[strokes[0].keycode])
      AssignVk(vkCode, strokes[0].keycode);
  }
  size_t nextSpareVk = 0;
  for (const std::vector<KeyStroke>& strokes : strokes_) {
    if (strokes.size() != 1 || strokes[0].altGr) continue;
    const unsigned key = strokes[0].keycode;
    while (!vkOfKeycode_[key] && nextSpareVk < std::size(kSpareVks))
      AssignVk(kSpareVks[nextSpareVk++], key);
  }
}

void XkbKeymap::AssignVk(int vkCode, unsigned keycode) {
  if (!keycode || keycodeOfVk_[vkCode]) return;
  keycodeOfVk_[vkCode] = keycode;
  if (!vkOfKeycode_[keycode]) vkOfKeycode_[keycode] = vkCode;
}

// The key that gives the keysym unshifted or shifted; with `anyLevel`, failing that, any key
// that carries it on some level (keypad digits, keys of other groups).
unsigned XkbKeymap::FindKeycode(unsigned keysym, bool anyLevel) const {
  for (const Level level : {kLevels[0], kLevels[1]}) {
    const Translator translate(keymap_, level);
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap_);
         key <= xkb_keymap_max_keycode(keymap_); ++key)
      if (translate(key) == keysym) return key - kEvdevOffset;
  }
  if (!anyLevel) return 0;
  for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap_); key <= xkb_keymap_max_keycode(keymap_);
       ++key) {
    for (xkb_level_index_t level = 0; level < xkb_keymap_num_levels_for_key(keymap_, key, 0);
         ++level) {
      const xkb_keysym_t* syms = nullptr;
      const int count = xkb_keymap_key_get_syms_by_level(keymap_, key, 0, level, &syms);
      if (std::find(syms, syms + count, keysym) != syms + count) return key - kEvdevOffset;
    }
  }
  return 0;
}

unsigned XkbKeymap::KeycodeOfVk(int vkCode) const {
  return vkCode >= 0 && vkCode < 256 ? keycodeOfVk_[vkCode] : 0;
}

int XkbKeymap::CharToKey(unsigned char character) const {
  if (const int key = key_symbols::ControlCharacterKey(character)) return key;
  if (!IsLatin1Character(character)) return kNoKey;
  const std::vector<KeyStroke>& strokes = strokes_[character];
  if (strokes.size() == 1 && !strokes[0].altGr && vkOfKeycode_[strokes[0].keycode])
    return vkOfKeycode_[strokes[0].keycode] | (strokes[0].shift ? kKeyShiftBit : 0);
  return kCharacterKeyBit | character;
}

}  // namespace fenno
