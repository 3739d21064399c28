#include "keys/key_sender.h"

#include <cctype>
#include <limits>
#include <optional>

#include "keys/key_macro.h"
#include "keys/leading_number.h"
#include "keys/virtual_keys.h"

namespace fenno {
namespace {

constexpr std::string_view kDelayMarker = "{DELAY";

size_t FindIgnoringCase(std::string_view text, std::string_view upperWord) {
  for (size_t i = 0; i + upperWord.size() <= text.size(); ++i) {
    size_t j = 0;
    while (j < upperWord.size() && std::toupper(static_cast<unsigned char>(text[i + j])) ==
                                       static_cast<unsigned char>(upperWord[j]))
      ++j;
    if (j == upperWord.size()) return i;
  }
  return std::string_view::npos;
}

}  // namespace

int KeySender::PlayKeyMacro(std::string_view piece, int32_t interCharDelay) {
  KeyMacro macro(sink_);
  if (const int code = macro.ParseKeyMacro(piece); code != kMacroOk) return code;
  macro.Rewind();
  stopped_ = false;
  sink_.SaveKeyboardState();
  while (const std::optional<KeyEvent> event = macro.NextKeyEvent()) {
    sink_.SendKey(event->code, event->press);
    if (event->code == vk::kAlt && !event->press) PauseAfterAlt();
    if (!stopped_ && interCharDelay > 0) Pause(interCharDelay);
    if (stopped_) break;
  }
  // Typing that was cut short must not leave a modifier pressed.
  for (const int modifier : {vk::kShift, vk::kControl, vk::kAlt})
    if (macro.ModifierDown(modifier)) sink_.SendKey(modifier, false);
  sink_.RestoreKeyboardState();
  return kMacroOk;
}

void KeySender::SendKeysWithDelays(std::string_view text, int32_t interCharDelay) {
  stopped_ = false;
  for (size_t marker = FindIgnoringCase(text, kDelayMarker); marker != std::string_view::npos;
       marker = FindIgnoringCase(text, kDelayMarker)) {
    const size_t close = text.find('}', marker);
    if (close == std::string_view::npos) return;  // an unfinished pause ends the text
    const size_t valueStart = marker + kDelayMarker.size();
    const int64_t delay =
        RoundHalfEven(LeadingNumber(text.substr(valueStart, close - valueStart)),
                      std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
    const std::string_view piece = text.substr(0, marker);
    text = text.substr(close + 1);
    if (!piece.empty()) PlayKeyMacro(piece, interCharDelay);
    if (stopped_ || !Pause(delay)) return;
  }
  if (!text.empty()) PlayKeyMacro(text, interCharDelay);
}

// Returns false (and remembers it) when the continue check says to stop.
bool KeySender::Pause(int64_t ms) {
  if (ms <= 0) return true;
  WaitMilliseconds(clock_, events_, ms);
  if (mayContinue_ && !mayContinue_()) stopped_ = true;
  return !stopped_;
}

// Programs open their menu bar on a released Alt; the pause lets the menu come up before
// the next key. It lasts until the wall clock's seconds have moved on by two.
void KeySender::PauseAfterAlt() {
  Pause(2000 - clock_.Now().millisecond);
}

}  // namespace fenno
