#pragma once

namespace fenno {

// Bits of a character-to-key result and of key codes beyond the virtual-key range.
inline constexpr int kKeyShiftBit = 0x100;
// The layout has no key for a character: the code holds the character itself in its low
// 8 bits, and the sink types it through a key bound to that character for the moment.
inline constexpr int kCharacterKeyBit = 0x200;
// Nothing can type the character.
inline constexpr int kNoKey = -1;

// The keyboard that typed keystrokes go to: whatever window has the keyboard focus.
// Key codes are Windows virtual-key codes (0-255), or kCharacterKeyBit | character.
class KeySink {
 public:
  virtual ~KeySink() = default;

  // The key that types an 8-bit (Latin-1) character on the current layout: a virtual-key
  // code in the low 8 bits plus kKeyShiftBit when Shift must be held; kCharacterKeyBit |
  // character when the layout has no key for it; kNoKey when nothing can type it.
  virtual int CharToKey(unsigned char character) = 0;
  // Presses or releases one key.
  virtual void SendKey(int code, bool press) = 0;
  // Releases the modifier keys the user holds and switches Caps Lock off, so that typed
  // characters arrive as they are written.
  virtual void SaveKeyboardState() = 0;
  // Puts back what SaveKeyboardState changed.
  virtual void RestoreKeyboardState() = 0;
};

}  // namespace fenno
