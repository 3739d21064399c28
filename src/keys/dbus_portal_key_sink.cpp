#include "keys/dbus_portal_key_sink.h"

#include "keys/virtual_keys.h"

namespace fenno {

void PortalKeySink::SendKey(int code, bool press) {
  if (code & kCharacterKeyBit) {
    if (press) TypeCharacter(static_cast<unsigned char>(code & 0xFF));
    return;
  }
  if (const unsigned keycode = keymap_.KeycodeOfVk(code & 0xFF))
    portal_.NotifyKeycode(keycode, press);
}

void PortalKeySink::TypeCharacter(unsigned char character) {
  const std::vector<KeyStroke>& strokes = keymap_.StrokesOf(character);
  if (strokes.empty()) {
    // Latin-1 characters are their own key symbols.
    if (portal_.NotifyKeysym(character, true))
      portal_.NotifyKeysym(character, false);
    else
      reportUntypeable_(character);
    return;
  }
  for (const KeyStroke& stroke : strokes) {
    if (stroke.shift) portal_.NotifyKeycode(keymap_.ShiftKeycode(), true);
    if (stroke.altGr) portal_.NotifyKeycode(keymap_.AltGrKeycode(), true);
    Tap(stroke.keycode);
    if (stroke.altGr) portal_.NotifyKeycode(keymap_.AltGrKeycode(), false);
    if (stroke.shift) portal_.NotifyKeycode(keymap_.ShiftKeycode(), false);
  }
}

void PortalKeySink::Tap(unsigned keycode) {
  portal_.NotifyKeycode(keycode, true);
  portal_.NotifyKeycode(keycode, false);
}

void PortalKeySink::SaveKeyboardState() {
  capsLockWasOn_ = capsLockOn_ && capsLockOn_();
  if (capsLockWasOn_) Tap(keymap_.KeycodeOfVk(vk::kCapsLock));
}

void PortalKeySink::RestoreKeyboardState() {
  if (capsLockWasOn_) Tap(keymap_.KeycodeOfVk(vk::kCapsLock));
  capsLockWasOn_ = false;
}

}  // namespace fenno
