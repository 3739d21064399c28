#pragma once

// The hot keys of a running engine on the desktop's X11 display, in one piece for the
// engine's owner: a display connection, the global hook and the key handler. Problems are
// told through the prompt. No X11 headers here, so owners that include Qt or D-Bus
// headers can use it.
//
// The connection is not shared with the keystroke backends: while a grabbed key waits for
// our decision the whole keyboard waits, so its events must never sit unread behind a
// keystroke backend's round trip.

#include <memory>

#include "config/edition.h"
#include "engine/engine_control.h"

namespace fenno {

class Prompt;
class StringTable;

class GlobalHotKeys {
 public:
  GlobalHotKeys(const Edition& edition, EngineControl& engine, Prompt& prompt,
                const StringTable& texts);
  ~GlobalHotKeys();
  GlobalHotKeys(const GlobalHotKeys&) = delete;
  GlobalHotKeys& operator=(const GlobalHotKeys&) = delete;

  // At engine start: grabs the keys of the current table. The display is opened only
  // when there is a key to grab.
  void Start();
  // When the engine stops: every key is let go.
  void Stop();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace fenno
