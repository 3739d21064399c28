#pragma once

// A global keyboard hook: it watches a set of key combinations while any program has the
// focus, reports each press, auto-repeat and release of them, and swallows the ones the
// handler asks it to. Other programs then never see a swallowed key.

#include <functional>
#include <span>

namespace fenno {

// Modifier bits of a hot-key code (modifiers x 256 + virtual key).
inline constexpr int kHotKeyShift = 1;
inline constexpr int kHotKeyCtrl = 2;
inline constexpr int kHotKeyAlt = 4;

enum class KeyTransition { Press, Repeat, Release };

// Bits of HotKeyEvent::modifierState, as the hook reports them. Shift is not among them:
// it is read from the keyboard state (shiftDown).
inline constexpr int kHookCtrl = 2;
inline constexpr int kHookAlt = 4;

struct HotKeyEvent {
  int virtualKey = 0;  // 1..255
  KeyTransition transition = KeyTransition::Press;
  bool shiftDown = false;  // Shift held on the keyboard when the key event happened
  int modifierState = 0;   // kHookCtrl | kHookAlt
};

class HotKeyHook {
 public:
  // Returns true to swallow the key.
  using Handler = std::function<bool(const HotKeyEvent&)>;

  virtual ~HotKeyHook() = default;
  // Starts watching the hot-key codes (modifiers x 256 + virtual key, modifiers 1 Shift,
  // 2 Ctrl, 4 Alt), each with and without Shift, so that a key pressed with a Shift the
  // code lacks still reaches the handler and can be told apart. Replaces what was watched.
  virtual void Watch(std::span<const int> codes, Handler handler) = 0;
  // Lets every watched key go.
  virtual void Unwatch() = 0;
};

}  // namespace fenno
