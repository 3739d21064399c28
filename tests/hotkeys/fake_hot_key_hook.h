#pragma once

#include <vector>

#include "hotkeys/hot_key_hook.h"

namespace fenno::testing {

// A hook whose key events come from the test. Events arrive only for watched keys (with
// or without Shift), as from the real hook.
class FakeHotKeyHook : public HotKeyHook {
 public:
  void Watch(std::span<const int> codes, Handler handler) override {
    watched.assign(codes.begin(), codes.end());
    handler_ = std::move(handler);
  }
  void Unwatch() override {
    watched.clear();
    handler_ = nullptr;
    ++unwatches;
  }

  // The key of `code` with its modifiers; true when the handler swallows it.
  bool Key(int code, KeyTransition transition = KeyTransition::Press) {
    HotKeyEvent event;
    event.virtualKey = code & 255;
    event.transition = transition;
    event.shiftDown = (code & (kHotKeyShift * 256)) != 0;
    event.modifierState = (code >> 8) & (kHookCtrl | kHookAlt);
    return Send(event);
  }
  bool Send(const HotKeyEvent& event) { return handler_ && handler_(event); }

  std::vector<int> watched;
  int unwatches = 0;

 private:
  Handler handler_;
};

}  // namespace fenno::testing
