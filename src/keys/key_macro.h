#pragma once

// The keystroke macro language: "+", "^" and "%" hold Shift, Ctrl and Alt for the next
// element, "(...)" groups elements, "~" is Enter, "{NAME}" and "{NAME count}" name keys,
// and every other character types itself. A text is parsed into a queue of key codes
// first and only sent when all of it parsed, so a faulty text types nothing.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "keys/key_sink.h"

namespace fenno {

// Parse results. Anything but kMacroOk discards the whole text.
enum KeyMacroError : int {
  kMacroOk = 0,
  kMacroBadBrace = 1,        // "{" without a closing "}" after the name or count
  kMacroUnknownKeyName = 2,  // "{NAME}" with an unknown name
  kMacroOpenGroup = 3,       // "(" without ")"
  kMacroZeroCount = 4,       // "{NAME 0}" or a count that is not a number
  kMacroQueueFull = 5,       // more than kKeyQueueSize codes
  kMacroTooDeep = 6,         // groups and modifiers nested more than kMaxMacroNesting deep
};

inline constexpr int kKeyQueueSize = 4096;
// Each level of "(" or a modifier is a level of the parser's recursion: without a bound a
// text of "(((..." would run it out of stack.
inline constexpr int kMaxMacroNesting = 256;

// The key for a name in braces: a one-character name is that character's key, any other
// name is looked up without regard to case or surrounding blanks. 0 when unknown.
int KeyNameToCode(std::string_view name, KeySink& sink);

struct KeyEvent {
  int code = 0;
  bool press = false;
  bool operator==(const KeyEvent&) const = default;
};

// Parser, key queue and the event sequence of one piece of macro text. The codes 16, 17
// and 18 (Shift, Ctrl, Alt) in the queue are toggles: the first occurrence presses the
// modifier, the next releases it. Every other code is a press followed by a release.
class KeyMacro {
 public:
  explicit KeyMacro(KeySink& sink) : sink_(sink) {}

  // Replaces the queue with the codes of `text`; returns a KeyMacroError.
  int ParseKeyMacro(std::string_view text);
  std::span<const int16_t> Queue() const { return {queue_.data(), static_cast<size_t>(count_)}; }

  // Starts the event sequence from the first queued code with no modifier held.
  void Rewind();
  // The next key event of the queue, or nothing when all were handed out.
  std::optional<KeyEvent> NextKeyEvent();
  // The modifiers NextKeyEvent has pressed and not yet released.
  bool ModifierDown(int code) const;

 private:
  int ParseMacroElement();
  int ParseNested(char opener);
  int ParseModified(int modifier);
  int ParseGroup();
  int ParseBraces();
  int ParseCount(size_t stop, int& count) const;
  int QueueKey(int key, int count);
  int QueueCharacter(unsigned char character);
  int Push(int code);
  bool AtEnd() const { return position_ >= text_.size(); }
  char Next() const { return text_[position_]; }

  KeySink& sink_;
  std::string_view text_;
  size_t position_ = 0;  // index of the next character to consume
  int nesting_ = 0;      // groups and modifiers open around the element being parsed
  std::array<int16_t, kKeyQueueSize> queue_{};
  int count_ = 0;
  int read_ = 0;
  int pendingRelease_ = -1;
  bool shift_ = false, control_ = false, alt_ = false;
};

}  // namespace fenno
