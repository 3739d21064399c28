#include "keys/key_macro.h"

#include <cstdint>
#include <limits>
#include <string>

#include "keys/leading_number.h"
#include "keys/virtual_keys.h"

namespace fenno {
namespace {

struct KeyNameEntry {
  std::string_view name;
  int code;
};

constexpr KeyNameEntry kKeyNames[] = {
    {"CAPSLOCK", vk::kCapsLock},
    {"NUMLOCK", vk::kNumLock},
    {"SCROLLOCK", vk::kScrollLock},
    {"ESCAPE", vk::kEscape},
    {"ESC", vk::kEscape},
    {"ENTER", vk::kEnter},
    {"HELP", vk::kHelp},
    {"PRTSC", vk::kPrintScreen},
    {"TAB", vk::kTab},
    {"BREAK", vk::kPause},
    {"CLEAR", vk::kClear},
    {"BACKSPACE", vk::kBackspace},
    {"BS", vk::kBackspace},
    {"BKSP", vk::kBackspace},
    {"DELETE", vk::kDelete},
    {"DEL", vk::kDelete},
    {"INSERT", vk::kInsert},
    {"LEFT", vk::kLeft},
    {"RIGHT", vk::kRight},
    {"UP", vk::kUp},
    {"DOWN", vk::kDown},
    {"PGUP", vk::kPageUp},
    {"PGDN", vk::kPageDown},
    {"HOME", vk::kHome},
    {"END", vk::kEnd},
    {"F1", vk::kF1},
    {"F2", vk::kF1 + 1},
    {"F3", vk::kF1 + 2},
    {"F4", vk::kF1 + 3},
    {"F5", vk::kF1 + 4},
    {"F6", vk::kF1 + 5},
    {"F7", vk::kF1 + 6},
    {"F8", vk::kF1 + 7},
    {"F9", vk::kF1 + 8},
    {"F10", vk::kF1 + 9},
    {"F11", vk::kF1 + 10},
    {"F12", vk::kF1 + 11},
    {"F13", vk::kF1 + 12},
    {"F14", vk::kF1 + 13},
    {"F15", vk::kF1 + 14},
    {"F16", vk::kF1 + 15},
};

std::string TrimmedUpper(std::string_view name) {
  const size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  name = name.substr(first, name.find_last_not_of(' ') - first + 1);
  std::string upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

bool IsModifier(int code) {
  return code == vk::kShift || code == vk::kControl || code == vk::kAlt;
}

}  // namespace

int KeyNameToCode(std::string_view name, KeySink& sink) {
  if (name.size() == 1) return sink.CharToKey(static_cast<unsigned char>(name[0]));
  const std::string key = TrimmedUpper(name);
  for (const KeyNameEntry& entry : kKeyNames)
    if (entry.name == key) return entry.code;
  return 0;
}

int KeyMacro::ParseKeyMacro(std::string_view text) {
  text_ = text;
  position_ = 0;
  nesting_ = 0;
  count_ = 0;
  Rewind();
  while (!AtEnd())
    if (const int code = ParseMacroElement(); code != kMacroOk) return code;
  return kMacroOk;
}

int KeyMacro::ParseMacroElement() {
  if (AtEnd()) return kMacroOk;
  const char c = text_[position_++];
  if (c == '+' || c == '^' || c == '%' || c == '(') {
    if (nesting_ == kMaxMacroNesting) return kMacroTooDeep;
    ++nesting_;
    const int code = ParseNested(c);
    --nesting_;
    return code;
  }
  switch (c) {
    case '~':
      return Push(vk::kEnter);
    case '{':
      return ParseBraces();
    default:
      return QueueCharacter(static_cast<unsigned char>(c));
  }
}

int KeyMacro::ParseNested(char opener) {
  switch (opener) {
    case '+':
      return ParseModified(vk::kShift);
    case '^':
      return ParseModified(vk::kControl);
    case '%':
      return ParseModified(vk::kAlt);
    default:
      return ParseGroup();
  }
}

int KeyMacro::ParseModified(int modifier) {
  if (const int code = Push(modifier); code != kMacroOk) return code;
  if (const int code = ParseMacroElement(); code != kMacroOk) return code;
  return Push(modifier);
}

int KeyMacro::ParseGroup() {
  while (!AtEnd() && Next() != ')')
    if (const int code = ParseMacroElement(); code != kMacroOk) return code;
  if (AtEnd()) return kMacroOpenGroup;
  ++position_;
  return kMacroOk;
}

// position_ is just after the "{".
int KeyMacro::ParseBraces() {
  int key = 0;
  size_t nameStart = position_;
  if (!AtEnd() && Next() == '}') {  // "{}}" types a "}"
    key = sink_.CharToKey('}');
    ++nameStart;
  }
  const size_t stop = text_.find_first_of(" }", nameStart);
  if (stop == std::string_view::npos) return kMacroBadBrace;
  if (key == 0) key = KeyNameToCode(text_.substr(position_, stop - position_), sink_);
  if (key == 0) return kMacroUnknownKeyName;
  int count = 1;
  if (const int code = ParseCount(stop, count); code != kMacroOk) return code;
  if (const int code = QueueKey(key, count); code != kMacroOk) return code;
  const size_t close = text_.find('}', stop);
  if (close == std::string_view::npos) return kMacroBadBrace;
  position_ = close + 1;
  return kMacroOk;
}

int KeyMacro::ParseCount(size_t stop, int& count) const {
  if (text_[stop] == '}') return kMacroOk;
  const int64_t value =
      RoundHalfEven(LeadingNumber(text_.substr(stop + 1)), std::numeric_limits<int16_t>::min(),
                    std::numeric_limits<int16_t>::max());
  if (value == 0) return kMacroZeroCount;
  // A count no queue can hold: the text fails as an overfull queue would.
  if (value < 0 || value > kKeyQueueSize) return kMacroQueueFull;
  count = static_cast<int>(value);
  return kMacroOk;
}

int KeyMacro::QueueKey(int key, int count) {
  const bool shifted = key != kNoKey && (key & kCharacterKeyBit) == 0 && (key & kKeyShiftBit);
  const int code = key == kNoKey ? 0xFF : (key & kCharacterKeyBit) ? (key & 0x2FF) : (key & 0xFF);
  if (key == kNoKey || shifted)
    if (const int result = Push(vk::kShift); result != kMacroOk) return result;
  for (int i = 0; i < count; ++i)
    if (const int result = Push(code); result != kMacroOk) return result;
  if (key == kNoKey || shifted) return Push(vk::kShift);
  return kMacroOk;
}

int KeyMacro::QueueCharacter(unsigned char character) {
  return QueueKey(sink_.CharToKey(character), 1);
}

int KeyMacro::Push(int code) {
  if (count_ >= kKeyQueueSize) return kMacroQueueFull;
  queue_[static_cast<size_t>(count_++)] = static_cast<int16_t>(code);
  return kMacroOk;
}

void KeyMacro::Rewind() {
  read_ = 0;
  pendingRelease_ = -1;
  shift_ = control_ = alt_ = false;
}

std::optional<KeyEvent> KeyMacro::NextKeyEvent() {
  if (pendingRelease_ >= 0) {
    const int code = pendingRelease_;
    pendingRelease_ = -1;
    return KeyEvent{code, false};
  }
  if (read_ >= count_) return std::nullopt;
  const int code = queue_[static_cast<size_t>(read_++)];
  if (!IsModifier(code)) {
    pendingRelease_ = code;
    return KeyEvent{code, true};
  }
  bool& flag = code == vk::kShift ? shift_ : code == vk::kControl ? control_ : alt_;
  flag = !flag;
  return KeyEvent{code, flag};
}

bool KeyMacro::ModifierDown(int code) const {
  return code == vk::kShift ? shift_ : code == vk::kControl ? control_ : code == vk::kAlt && alt_;
}

}  // namespace fenno
