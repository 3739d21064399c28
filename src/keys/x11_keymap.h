#pragma once

// The current X keyboard layout seen through Windows virtual-key codes: which key code a
// virtual key is, and which key (with or without Shift) types a Latin-1 character. Letter
// and digit keys take the virtual key of what they type, as on Windows (on a German layout
// the key that types "z" is the Z key); other keys that type characters are numbered like
// the punctuation keys. The map follows layout and group changes.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <array>
#include <vector>

#include "keys/x11_connection.h"

namespace fenno {

class X11Keymap {
 public:
  explicit X11Keymap(X11Connection& connection);
  ~X11Keymap();
  X11Keymap(const X11Keymap&) = delete;
  X11Keymap& operator=(const X11Keymap&) = delete;

  // Reads the layout again if it changed since the last call.
  void Refresh();
  // The key code of a virtual key, or 0 when the layout has none.
  KeyCode KeycodeOfVk(int vk);
  // A virtual-key code with kKeyShiftBit, kCharacterKeyBit | character when no key of the
  // layout types the character (on its first two levels), or kNoKey.
  int CharToKey(unsigned char character);
  // Key codes that carry no symbol at all, highest first: free to bind for a moment.
  const std::vector<KeyCode>& SpareKeycodes();
  // Changes of these key codes (bindings of spare keys) leave the layout as it is.
  void IgnoreChangesOf(const std::vector<KeyCode>& keycodes) { ignored_ = keycodes; }

 private:
  struct CharacterKey {
    KeyCode keycode = 0;
    bool shift = false;
  };

  void OnEvent(XEvent& event);
  bool OnlyIgnoredKeysChanged(const XkbMapNotifyEvent& event) const;
  void Build();
  void AssignNamedKeys();
  void AssignCharacterKeys();
  void AssignVk(int vk, KeyCode keycode);
  KeyCode FindKeycode(unsigned long keysym, bool shifted) const;
  unsigned long Translate(KeyCode keycode, unsigned int mods) const;

  X11Connection& connection_;
  int handlerId_ = 0;
  int xkbEventBase_ = -1;
  bool dirty_ = true;
  XkbDescPtr xkb_ = nullptr;
  unsigned int group_ = 0;
  std::array<KeyCode, 256> keycodeOfVk_{};
  std::array<unsigned char, 256> vkOfKeycode_{};
  std::array<CharacterKey, 256> characterKeys_{};
  std::vector<KeyCode> spare_;
  std::vector<KeyCode> ignored_;
};

}  // namespace fenno
