#pragma once

// The global keyboard hook on X11: every watched key combination is grabbed on the root
// window, with and without Shift and whatever the state of Num Lock and Caps Lock. The
// grabs are synchronous, so the keyboard waits while the handler decides: a swallowed key
// stays with us until it is released, any other key goes on to the window that has the
// focus as if nothing had been grabbed. Auto-repeat is made detectable, so a held key
// shows as one press, repeats and one release.

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "hotkeys/hot_key_hook.h"
#include "hotkeys/hot_key_messages.h"

// Xlib comes after the headers its macros would break.
#include "keys/x11_connection.h"
#include "keys/x11_keymap.h"

namespace fenno {

class X11HotKeyHook : public HotKeyHook {
 public:
  // Keys that cannot be grabbed are reported once each through `report`.
  explicit X11HotKeyHook(X11Connection& connection, HotKeyProblemReport report = {});
  ~X11HotKeyHook() override;
  X11HotKeyHook(const X11HotKeyHook&) = delete;
  X11HotKeyHook& operator=(const X11HotKeyHook&) = delete;

  void Watch(std::span<const int> codes, Handler handler) override;
  void Unwatch() override;

 private:
  struct Grab {
    KeyCode keycode;
    unsigned int modifiers;
  };

  void Prepare(Display* display);
  void GrabAll(Display* display, const std::vector<int>& configured);
  void GrabCode(Display* display, int code, bool configured);
  KeyCode KeycodeFor(int virtualKey);
  unsigned int ModifiersOf(int code) const;
  std::vector<unsigned int> LockVariants() const;
  void OnEvent(XEvent& event);
  void OnPress(XKeyEvent& key, const std::vector<int>& virtualKeys);
  bool Deliver(const XKeyEvent& key, const std::vector<int>& virtualKeys, KeyTransition transition);
  void Report(HotKeyProblem problem, int code);
  void ReportProblems();

  X11Connection& connection_;
  X11Keymap keymap_;
  HotKeyProblemReport report_;
  Handler handler_;
  int handlerId_ = 0;
  bool detectableRepeat_ = false;
  unsigned int altMask_ = Mod1Mask;
  unsigned int numLockMask_ = 0;
  std::vector<Grab> grabs_;
  std::map<KeyCode, std::vector<int>> virtualKeysOf_;
  // Keys swallowed on press whose release is still to come: presses of them are repeats.
  std::set<KeyCode> held_;
  std::set<std::pair<int, HotKeyProblem>> reported_;
  std::vector<std::pair<HotKeyProblem, int>> problems_;  // found, not yet told
};

}  // namespace fenno
