#include "hotkeys/x11_global_hot_keys.h"

#include "hotkeys/hot_key_messages.h"
#include "hotkeys/hot_keys.h"

// Xlib comes after the headers its macros would break.
#include "hotkeys/x11_hot_key_hook.h"
#include "keys/x11_connection.h"

namespace fenno {

struct GlobalHotKeys::Parts {
  Parts(const Edition& edition, EngineControl& engine, Prompt& prompt, const StringTable& texts)
      : connection(std::string(), ReportHotKeyDisplayFailureThrough(prompt, texts)),
        hook(connection, ReportHotKeyProblemsThrough(prompt, texts)),
        hotKeys(edition, engine, hook) {}

  X11Connection connection;
  X11HotKeyHook hook;
  HotKeys hotKeys;
};

GlobalHotKeys::GlobalHotKeys(const Edition& edition, EngineControl& engine, Prompt& prompt,
                             const StringTable& texts)
    : parts_(std::make_unique<Parts>(edition, engine, prompt, texts)) {}

GlobalHotKeys::~GlobalHotKeys() = default;

void GlobalHotKeys::Start() {
  parts_->hotKeys.Start();
}

void GlobalHotKeys::Stop() {
  parts_->hotKeys.Stop();
}

}  // namespace fenno
