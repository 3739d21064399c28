#include "keys/x11_key_sink.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <thread>

namespace fenno {

X11KeySink::X11KeySink(X11Connection& connection) : connection_(connection), keymap_(connection) {}

X11KeySink::~X11KeySink() {
  if (!connection_.Get() || bindings_.empty()) return;
  const Clock::time_point answered = ConfirmBindings();
  const Clock::time_point held = answered + std::chrono::milliseconds(kBindingHoldMs);
  std::this_thread::sleep_until(
      std::min(held, Clock::now() + std::chrono::milliseconds(kExitHoldMs)));
  ReleaseBindings(std::chrono::milliseconds(0));
}

bool X11KeySink::Ready() {
  return connection_.HasXTest();
}

int X11KeySink::CharToKey(unsigned char character) {
  if (!Ready()) return kNoKey;
  return keymap_.CharToKey(character);
}

void X11KeySink::SendKey(int code, bool press) {
  if (!Ready()) return;
  const KeyCode keycode =
      (code & kCharacterKeyBit) ? BindCharacter(code & 0xFF) : keymap_.KeycodeOfVk(code);
  if (!keycode) return;
  Display* display = connection_.Get();
  XTestFakeKeyEvent(display, keycode, press ? True : False, CurrentTime);
  XFlush(display);
}

// Key codes cycle through the spare ones, so a binding made for one character is not
// overwritten by the next while the receiving program may still be reading it.
KeyCode X11KeySink::BindCharacter(unsigned char character) {
  const auto now = Clock::now();
  const KeySym keysym = character;  // Latin-1 characters are their own keysyms
  for (Binding& binding : bindings_)
    if (binding.keysym == keysym) {
      binding.lastUse = now;
      binding.answered.reset();
      return binding.keycode;
    }
  const std::vector<KeyCode>& spare = keymap_.SpareKeycodes();
  keymap_.IgnoreChangesOf(spare);
  for (const KeyCode keycode : spare)
    if (std::none_of(bindings_.begin(), bindings_.end(),
                     [keycode](const Binding& b) { return b.keycode == keycode; })) {
      SetKeysym(keycode, keysym);
      bindings_.push_back({keycode, keysym, now, std::nullopt});
      return keycode;
    }
  if (bindings_.empty()) return 0;  // a layout without a single free key code
  auto oldest =
      std::min_element(bindings_.begin(), bindings_.end(),
                       [](const Binding& a, const Binding& b) { return a.lastUse < b.lastUse; });
  SetKeysym(oldest->keycode, keysym);
  *oldest = {oldest->keycode, keysym, now, std::nullopt};
  return oldest->keycode;
}

void X11KeySink::SetKeysym(KeyCode keycode, KeySym keysym) {
  KeySym syms[2] = {keysym, keysym};  // the same character with and without Shift
  XChangeKeyboardMapping(connection_.Get(), keycode, 2, syms, 1);
}

X11KeySink::Clock::time_point X11KeySink::ConfirmBindings() {
  Clock::time_point newest{};
  bool synced = false;
  for (Binding& binding : bindings_) {
    if (!binding.answered) {
      if (!synced) XSync(connection_.Get(), False);
      synced = true;
      binding.answered = Clock::now();
    }
    newest = std::max(newest, *binding.answered);
  }
  return newest;
}

void X11KeySink::ReleaseBindings(std::chrono::milliseconds heldFor) {
  if (bindings_.empty()) return;
  ConfirmBindings();
  const auto now = Clock::now();
  std::erase_if(bindings_, [&](const Binding& binding) {
    if (now - *binding.answered < heldFor) return false;
    SetKeysym(binding.keycode, NoSymbol);
    return true;
  });
  XFlush(connection_.Get());
}

std::vector<KeyCode> X11KeySink::HeldModifiers() {
  Display* display = connection_.Get();
  char keys[32] = {};
  XQueryKeymap(display, keys);
  std::vector<KeyCode> held;
  XModifierKeymap* modifiers = XGetModifierMapping(display);
  if (!modifiers) return held;
  for (int i = 0; i < 8 * modifiers->max_keypermod; ++i) {
    const KeyCode keycode = modifiers->modifiermap[i];
    if (keycode && (keys[keycode / 8] & (1 << (keycode % 8))) &&
        std::find(held.begin(), held.end(), keycode) == held.end())
      held.push_back(keycode);
  }
  XFreeModifiermap(modifiers);
  return held;
}

void X11KeySink::SaveKeyboardState() {
  releasedModifiers_.clear();
  capsLockWasOn_ = false;
  if (!Ready()) return;
  Display* display = connection_.Get();
  keymap_.Refresh();
  ReleaseBindings(std::chrono::milliseconds(kBindingHoldMs));
  releasedModifiers_ = HeldModifiers();
  for (const KeyCode keycode : releasedModifiers_)
    XTestFakeKeyEvent(display, keycode, False, CurrentTime);
  XkbStateRec state{};
  XkbGetState(display, XkbUseCoreKbd, &state);
  capsLockWasOn_ = (state.locked_mods & LockMask) != 0;
  if (capsLockWasOn_) XkbLockModifiers(display, XkbUseCoreKbd, LockMask, 0);
  XFlush(display);
}

void X11KeySink::RestoreKeyboardState() {
  if (!Ready()) return;
  Display* display = connection_.Get();
  for (const KeyCode keycode : releasedModifiers_)
    XTestFakeKeyEvent(display, keycode, True, CurrentTime);
  if (capsLockWasOn_) XkbLockModifiers(display, XkbUseCoreKbd, LockMask, LockMask);
  releasedModifiers_.clear();
  capsLockWasOn_ = false;
  XFlush(display);
}

}  // namespace fenno
