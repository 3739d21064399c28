#pragma once

// A keyboard layout compiled by xkbcommon, seen through Windows virtual-key codes as the
// X11 backend sees the X server's layout: letter and digit keys take the virtual key of
// what they type, other keys that type characters are numbered like the punctuation keys.
// Key codes here are Linux input (evdev) codes, as Wayland and its portals count them.
// Besides the first two levels it knows the AltGr levels and the characters typed by a
// dead key followed by another key (the composition rules of the system's locale data).

#include <array>
#include <memory>
#include <string>
#include <vector>

struct xkb_context;
struct xkb_keymap;

namespace fenno {

// One key pressed and released with Shift and AltGr held as given.
struct KeyStroke {
  unsigned keycode = 0;
  bool shift = false;
  bool altGr = false;
  bool operator==(const KeyStroke&) const = default;
};

class XkbKeymap {
 public:
  // The keymap of a layout and variant ("de", "nodeadkeys") from the system's XKB data;
  // null with the reason in `why` when it cannot be compiled.
  static std::unique_ptr<XkbKeymap> FromNames(const std::string& layout, const std::string& variant,
                                              std::string* why);
  ~XkbKeymap();
  XkbKeymap(const XkbKeymap&) = delete;
  XkbKeymap& operator=(const XkbKeymap&) = delete;

  // The key code of a virtual key, or 0 when the layout has none.
  unsigned KeycodeOfVk(int vk) const;
  // As KeySink::CharToKey: a virtual key with kKeyShiftBit for characters on the first two
  // levels, kCharacterKeyBit | character for any other Latin-1 character (see StrokesOf),
  // kNoKey for control characters without a key.
  int CharToKey(unsigned char character) const;
  // The strokes that type a character: one (possibly with AltGr), or a dead key and the
  // key after it; empty when the layout cannot type the character.
  const std::vector<KeyStroke>& StrokesOf(unsigned char character) const {
    return strokes_[character];
  }
  // The keys that give Shift and AltGr (0 when the layout has no AltGr).
  unsigned ShiftKeycode() const { return shiftKeycode_; }
  unsigned AltGrKeycode() const { return altGrKeycode_; }

 private:
  XkbKeymap(xkb_context* context, xkb_keymap* keymap);
  void FindModifierKeys();
  void FindDirectStrokes();
  void FindDeadKeyStrokes();
  void AssignVirtualKeys();
  void AssignVk(int vk, unsigned keycode);
  unsigned FindKeycode(unsigned keysym, bool anyLevel) const;

  xkb_context* context_;
  xkb_keymap* keymap_;
  unsigned shiftKeycode_ = 0;
  unsigned altGrKeycode_ = 0;
  std::array<std::vector<KeyStroke>, 256> strokes_;
  std::array<unsigned, 256> keycodeOfVk_{};
  std::vector<int> vkOfKeycode_;
};

}  // namespace fenno
