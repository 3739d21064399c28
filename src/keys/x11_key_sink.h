#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <vector>

#include "keys/key_sink.h"
#include "keys/x11_connection.h"
#include "keys/x11_keymap.h"

namespace fenno {

// Types through XTest into whatever window has the focus, with the current layout. A
// character the layout has no key for is typed by binding a spare key code to it. The
// receiving program looks the key up only when it handles the event, so a binding is undone
// only once the server has answered a round trip made after the binding's last use and
// kBindingHoldMs have passed since that answer; when the sink goes away (the program ends)
// it waits for the rest of that time, but no longer than kExitHoldMs.
class X11KeySink : public KeySink {
 public:
  explicit X11KeySink(X11Connection& connection);
  ~X11KeySink() override;

  int CharToKey(unsigned char character) override;
  void SendKey(int code, bool press) override;
  void SaveKeyboardState() override;
  void RestoreKeyboardState() override;

  static constexpr int kBindingHoldMs = 5000;
  static constexpr int kExitHoldMs = 300;

 private:
  using Clock = std::chrono::steady_clock;
  struct Binding {
    KeyCode keycode;
    KeySym keysym;
    Clock::time_point lastUse;
    // When the server answered a round trip made after the last use; unset until then.
    std::optional<Clock::time_point> answered;
  };

  bool Ready();
  KeyCode BindCharacter(unsigned char character);
  void SetKeysym(KeyCode keycode, KeySym keysym);
  // Makes a round trip when a binding was used since the last one; answers the newest
  // answer time of all bindings.
  Clock::time_point ConfirmBindings();
  // Undoes the bindings answered at least `heldFor` ago (0: all of them).
  void ReleaseBindings(std::chrono::milliseconds heldFor);
  std::vector<KeyCode> HeldModifiers();

  X11Connection& connection_;
  X11Keymap keymap_;
  std::vector<Binding> bindings_;
  std::vector<KeyCode> releasedModifiers_;
  bool capsLockWasOn_ = false;
};

}  // namespace fenno
