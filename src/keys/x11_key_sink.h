#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <vector>

#include "keys/key_sink.h"
#include "keys/x11_connection.h"
#include "keys/x11_keymap.h"

namespace fenno {

// Types through XTest into whatever window has the focus, with the current layout. A
// character the layout has no key for is typed by binding a spare key code to it; the
// binding stays until the receiving program has had time to read the changed key map, and
// is undone later (see kBindingHoldMs) or when the sink goes away.
class X11KeySink : public KeySink {
 public:
  explicit X11KeySink(X11Connection& connection);
  ~X11KeySink() override;

  int CharToKey(unsigned char character) override;
  void SendKey(int code, bool press) override;
  void SaveKeyboardState() override;
  void RestoreKeyboardState() override;

  static constexpr int kBindingHoldMs = 5000;

 private:
  struct Binding {
    KeyCode keycode;
    KeySym keysym;
    std::chrono::steady_clock::time_point lastUse;
  };

  bool Ready();
  KeyCode BindCharacter(unsigned char character);
  void SetKeysym(KeyCode keycode, KeySym keysym);
  void ReleaseBindings(std::chrono::milliseconds olderThan);
  std::vector<KeyCode> HeldModifiers();

  X11Connection& connection_;
  X11Keymap keymap_;
  std::vector<Binding> bindings_;
  std::vector<KeyCode> releasedModifiers_;
  bool capsLockWasOn_ = false;
};

}  // namespace fenno
