#include "hotkeys/global_hot_keys.h"
#include "hotkeys/hot_key_messages.h"
#include "hotkeys/hot_keys.h"

// Xlib comes after the headers its macros would break.
#include "hotkeys/x11_hot_key_hook.h"
#include "keys/x11_connection.h"

namespace fenno {

struct GlobalHotKeys::Parts {
  Parts(const Edition& edition, EngineControl& engine, Prompt& prompt, const StringTable& texts,
        X11Connection* shared)
      : own(shared ? nullptr
                   : std::make_unique<X11Connection>(
                         std::string(), ReportHotKeyDisplayFailureThrough(prompt, texts))),
        hook(shared ? *shared : *own, ReportHotKeyProblemsThrough(prompt, texts)),
        hotKeys(edition, engine, hook) {}

  std::unique_ptr<X11Connection> own;
  X11HotKeyHook hook;
  HotKeys hotKeys;
};

GlobalHotKeys::GlobalHotKeys(const Edition& edition, EngineControl& engine, Prompt& prompt,
                             const StringTable& texts, X11Connection* sharedConnection)
    : parts_(std::make_unique<Parts>(edition, engine, prompt, texts, sharedConnection)) {}

GlobalHotKeys::~GlobalHotKeys() = default;

void GlobalHotKeys::Start() {
  parts_->hotKeys.Start();
}

void GlobalHotKeys::Stop() {
  parts_->hotKeys.Stop();
}

}  // namespace fenno
