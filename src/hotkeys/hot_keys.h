#pragma once

// The hot keys of a running engine: the configured keys are watched through a global
// hook; a key that matches an entry is swallowed on press, repeat and release, and each
// matching entry performs its action once per press. The table is read at every key, so
// edits of actions and strings take effect at once; which keys are watched is fixed when
// the hot keys start. Plain C++.

#include <vector>

#include "config/edition.h"
#include "config/settings.h"
#include "engine/engine_control.h"
#include "hotkeys/hot_key_hook.h"

namespace fenno {

// modifiers x 256 + virtual key of a key event: Shift from the keyboard, Ctrl and Alt
// from the event.
int16_t HotKeyCodeOf(const HotKeyEvent& event);

// The codes to watch: those of the entries with a key, in entry order, each once.
std::vector<int> WatchedHotKeyCodes(const Settings& settings);

// What a stored action does in this program and activation mode: the line actions do
// nothing in virtual mode, where there is no device to signal.
HotKeyActionKind EffectiveHotKeyAction(const Edition& edition, int16_t storedAction,
                                       ActivationMode mode);

// Performs one action on the engine; `text` is the entry's output string.
void PerformHotKeyAction(HotKeyActionKind action, const std::string& text, EngineControl& engine);

class HotKeys {
 public:
  HotKeys(const Edition& edition, EngineControl& engine, HotKeyHook& hook);
  ~HotKeys();
  HotKeys(const HotKeys&) = delete;
  HotKeys& operator=(const HotKeys&) = delete;

  // At engine start: watch the keys of the current table.
  void Start();
  // When the engine stops: let every key go.
  void Stop();
  // The key event handler; true when the key is to be swallowed.
  bool OnKey(const HotKeyEvent& event);

 private:
  const Edition& edition_;
  EngineControl& engine_;
  HotKeyHook& hook_;
  bool watching_ = false;
};

}  // namespace fenno
