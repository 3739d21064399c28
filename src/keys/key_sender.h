#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "base/clock.h"
#include "keys/key_sink.h"

namespace fenno {

// Types macro text through a KeySink. Every pause lets pending events run, so commands,
// hot keys and timers keep working while a record is typed.
class KeySender {
 public:
  KeySender(KeySink& sink, const Clock& clock, EventPump& events)
      : sink_(sink), clock_(clock), events_(events) {}

  // Asked after every pause: false stops the typing of the text (its remaining keys are
  // dropped and held modifiers released), for instance because the focus moved into one
  // of this program's own windows while events ran.
  void SetContinueCheck(std::function<bool()> mayContinue) {
    mayContinue_ = std::move(mayContinue);
  }

  // Parses the piece and, only when all of it parsed, types it with `interCharDelay`
  // milliseconds after every key event. Returns the parse result (0 = typed).
  int PlayKeyMacro(std::string_view piece, int32_t interCharDelay);

  // Types a text that may hold "{DELAY n}" pauses: each piece between them is parsed and
  // typed on its own, so a faulty piece drops only itself.
  void SendKeysWithDelays(std::string_view text, int32_t interCharDelay);

  // True when the last text was cut short by the continue check.
  bool Stopped() const { return stopped_; }

 private:
  bool Pause(int64_t ms);
  void PauseAfterAlt();

  KeySink& sink_;
  const Clock& clock_;
  EventPump& events_;
  std::function<bool()> mayContinue_;
  bool stopped_ = false;
};

}  // namespace fenno
