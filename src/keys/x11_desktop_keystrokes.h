#pragma once

// The keystroke output of a running engine on the desktop's X11 display, in one piece for
// the engine's owner: a display connection, the keyboard and window backends and the
// delivery steps around each record. No X11 headers here. The display is opened when the
// first record is typed; without one the user is told once and nothing is typed.

#include <memory>

#include "base/clock.h"
#include "engine/keystroke_target.h"

namespace fenno {

class Prompt;
class StringTable;

class DesktopKeystrokes : public KeystrokeTarget {
 public:
  DesktopKeystrokes(const Clock& clock, EventPump& events, Prompt& prompt,
                    const StringTable& texts);
  ~DesktopKeystrokes() override;
  DesktopKeystrokes(const DesktopKeystrokes&) = delete;
  DesktopKeystrokes& operator=(const DesktopKeystrokes&) = delete;

  bool Activate(Settings& settings) override;
  void Type(std::string_view macroText, int32_t interCharDelay) override;
  void Restore() override;

 private:
  struct Parts;
  const Clock& clock_;
  EventPump& events_;
  Prompt& prompt_;
  const StringTable& texts_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace fenno
