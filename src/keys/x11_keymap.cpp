#include "keys/x11_keymap.h"

#include <X11/keysym.h>

#include <algorithm>
#include <utility>

#include "keys/key_sink.h"
#include "keys/virtual_keys.h"
#include "keys/x11_key_symbols.h"

namespace fenno {
namespace {

using key_symbols::kNamedKeys;
using key_symbols::kPunctuationKeys;
using key_symbols::kSpareVks;

bool IsLatin1Character(unsigned long keysym) {
  return (keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF);
}

constexpr unsigned int kKeyChangesMask = XkbKeySymsMask | XkbKeyActionsMask | XkbKeyBehaviorsMask |
                                         XkbExplicitComponentsMask | XkbModifierMapMask |
                                         XkbVirtualModMapMask;

}  // namespace

X11Keymap::X11Keymap(X11Connection& connection) : connection_(connection) {
  handlerId_ = connection_.AddEventHandler([this](XEvent& event) { OnEvent(event); });
}

X11Keymap::~X11Keymap() {
  connection_.RemoveEventHandler(handlerId_);
  if (xkb_) XkbFreeKeyboard(xkb_, 0, True);
}

void X11Keymap::Refresh() {
  Display* display = connection_.Get();
  if (!display) return;
  if (xkbEventBase_ < 0) {
    int opcode = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &xkbEventBase_, &errorBase, &major, &minor)) return;
    XkbSelectEvents(display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask,
                          XkbGroupStateMask);
  }
  connection_.ProcessPendingEvents();
  if (!dirty_) return;
  Build();
  dirty_ = false;
}

void X11Keymap::OnEvent(XEvent& event) {
  if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
  if (xkbEventBase_ < 0 || event.type != xkbEventBase_) return;
  const auto& xkbEvent = reinterpret_cast<const XkbEvent&>(event);
  switch (xkbEvent.any.xkb_type) {
    case XkbNewKeyboardNotify:
      dirty_ = true;
      break;
    case XkbMapNotify:
      if (!OnlyIgnoredKeysChanged(xkbEvent.map)) dirty_ = true;
      break;
    case XkbStateNotify:
      if (xkbEvent.state.changed & XkbGroupStateMask) dirty_ = true;
      break;
    default:
      break;
  }
}

bool X11Keymap::OnlyIgnoredKeysChanged(const XkbMapNotifyEvent& event) const {
  if (event.changed & ~kKeyChangesMask) return false;
  const auto ignored = [this](int first, int count) {
    for (int keycode = first; keycode < first + count; ++keycode)
      if (std::find(ignored_.begin(), ignored_.end(), keycode) == ignored_.end()) return false;
    return true;
  };
  return ignored(event.first_key_sym, event.num_key_syms) &&
         ignored(event.first_key_act, event.num_key_acts) &&
         ignored(event.first_key_behavior, event.num_key_behaviors) &&
         ignored(event.first_key_explicit, event.num_key_explicit) &&
         ignored(event.first_modmap_key, event.num_modmap_keys) &&
         ignored(event.first_vmodmap_key, event.num_vmodmap_keys);
}

void X11Keymap::Build() {
  Display* display = connection_.Get();
  if (xkb_) XkbFreeKeyboard(xkb_, 0, True);
  xkb_ = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
  XkbStateRec state{};
  XkbGetState(display, XkbUseCoreKbd, &state);
  group_ = state.group;
  keycodeOfVk_.fill(0);
  vkOfKeycode_.fill(0);
  characterKeys_.fill({});
  spare_.clear();
  if (!xkb_) return;
  for (int keycode = xkb_->max_key_code; keycode >= xkb_->min_key_code; --keycode) {
    const bool ours = std::find(ignored_.begin(), ignored_.end(), keycode) != ignored_.end();
    const int count = XkbKeyNumSyms(xkb_, keycode);
    const KeySym* syms = XkbKeySymsPtr(xkb_, keycode);
    if (ours || std::all_of(syms, syms + count, [](KeySym s) { return s == NoSymbol; }))
      spare_.push_back(static_cast<KeyCode>(keycode));
  }
  AssignNamedKeys();
  AssignCharacterKeys();
}

void X11Keymap::AssignNamedKeys() {
  for (const auto& [vkCode, keysym] : kNamedKeys) AssignVk(vkCode, FindKeycode(keysym, false));
  for (int i = 0; i < 10; ++i) AssignVk(vk::kNumPad0 + i, FindKeycode(XK_KP_0 + i, false));
  for (int i = 0; i < 16; ++i) AssignVk(vk::kF1 + i, FindKeycode(XK_F1 + i, false));
  for (int i = 0; i < 26; ++i) {
    KeyCode keycode = FindKeycode('a' + i, false);
    AssignVk(vk::kLetterA + i, keycode ? keycode : FindKeycode('a' + i, true));
  }
  for (int i = 0; i < 10; ++i) {
    KeyCode keycode = FindKeycode('0' + i, false);
    AssignVk(vk::kDigit0 + i, keycode ? keycode : FindKeycode('0' + i, true));
  }
  for (const auto& [vkCode, character] : kPunctuationKeys) {
    const KeyCode keycode = FindKeycode(static_cast<unsigned char>(character), false);
    if (keycode && !vkOfKeycode_[keycode]) AssignVk(vkCode, keycode);
  }
}

// Every character on the first two levels of a key; keys without a virtual key yet get one
// of the spare virtual keys while they last.
void X11Keymap::AssignCharacterKeys() {
  size_t nextSpareVk = 0;
  for (const bool shift : {false, true}) {
    for (int keycode = xkb_->min_key_code; keycode <= xkb_->max_key_code; ++keycode) {
      const unsigned long keysym = Translate(static_cast<KeyCode>(keycode), shift ? ShiftMask : 0);
      if (!IsLatin1Character(keysym) || characterKeys_[keysym].keycode) continue;
      while (!vkOfKeycode_[keycode] && nextSpareVk < std::size(kSpareVks))
        if (!keycodeOfVk_[kSpareVks[nextSpareVk++]])
          AssignVk(kSpareVks[nextSpareVk - 1], static_cast<KeyCode>(keycode));
      if (vkOfKeycode_[keycode]) characterKeys_[keysym] = {static_cast<KeyCode>(keycode), shift};
    }
  }
}

void X11Keymap::AssignVk(int vkCode, KeyCode keycode) {
  if (!keycode || keycodeOfVk_[vkCode]) return;
  keycodeOfVk_[vkCode] = keycode;
  if (!vkOfKeycode_[keycode]) vkOfKeycode_[keycode] = static_cast<unsigned char>(vkCode);
}

// The key that gives the keysym in the current group, unshifted or shifted; for keys that
// give it on no such level (keypad digits, function keys of other groups), any key that
// carries it.
KeyCode X11Keymap::FindKeycode(unsigned long keysym, bool shifted) const {
  for (int keycode = xkb_->min_key_code; keycode <= xkb_->max_key_code; ++keycode)
    if (Translate(static_cast<KeyCode>(keycode), shifted ? ShiftMask : 0) == keysym)
      return static_cast<KeyCode>(keycode);
  if (shifted) return 0;
  for (int keycode = xkb_->min_key_code; keycode <= xkb_->max_key_code; ++keycode) {
    const KeySym* syms = XkbKeySymsPtr(xkb_, keycode);
    if (std::find(syms, syms + XkbKeyNumSyms(xkb_, keycode), keysym) !=
        syms + XkbKeyNumSyms(xkb_, keycode))
      return static_cast<KeyCode>(keycode);
  }
  return 0;
}

unsigned long X11Keymap::Translate(KeyCode keycode, unsigned int mods) const {
  unsigned int modsUsed = 0;
  KeySym keysym = NoSymbol;
  if (!XkbTranslateKeyCode(xkb_, keycode, mods | (group_ << 13), &modsUsed, &keysym))
    return NoSymbol;
  return keysym;
}

KeyCode X11Keymap::KeycodeOfVk(int vkCode) {
  Refresh();
  return vkCode >= 0 && vkCode < 256 ? keycodeOfVk_[vkCode] : 0;
}

int X11Keymap::CharToKey(unsigned char character) {
  Refresh();
  if (const int key = key_symbols::ControlCharacterKey(character)) return key;
  if (!IsLatin1Character(character)) return kNoKey;
  const CharacterKey& key = characterKeys_[character];
  if (!key.keycode) return kCharacterKeyBit | character;
  return vkOfKeycode_[key.keycode] | (key.shift ? kKeyShiftBit : 0);
}

const std::vector<KeyCode>& X11Keymap::SpareKeycodes() {
  Refresh();
  return spare_;
}

}  // namespace fenno
