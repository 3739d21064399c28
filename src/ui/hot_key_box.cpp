#include "ui/hot_key_box.h"

#include <QKeyEvent>
#include <string_view>

#include "keys/virtual_keys.h"

namespace fenno {
namespace {

struct QtKeyCode {
  int qtKey;
  int virtualKey;
};

constexpr QtKeyCode kNamedKeys[] = {
    {Qt::Key_Backspace, vk::kBackspace},
    {Qt::Key_Tab, vk::kTab},
    {Qt::Key_Backtab, vk::kTab},
    {Qt::Key_Clear, vk::kClear},
    {Qt::Key_Return, vk::kEnter},
    {Qt::Key_Enter, vk::kEnter},
    {Qt::Key_Pause, vk::kPause},
    {Qt::Key_CapsLock, vk::kCapsLock},
    {Qt::Key_Escape, vk::kEscape},
    {Qt::Key_Space, vk::kSpace},
    {Qt::Key_PageUp, vk::kPageUp},
    {Qt::Key_PageDown, vk::kPageDown},
    {Qt::Key_End, vk::kEnd},
    {Qt::Key_Home, vk::kHome},
    {Qt::Key_Left, vk::kLeft},
    {Qt::Key_Up, vk::kUp},
    {Qt::Key_Right, vk::kRight},
    {Qt::Key_Down, vk::kDown},
    {Qt::Key_Print, 42},
    {Qt::Key_Insert, vk::kInsert},
    {Qt::Key_Delete, vk::kDelete},
    {Qt::Key_NumLock, vk::kNumLock},
    {Qt::Key_ScrollLock, vk::kScrollLock},
    {Qt::Key_Shift, vk::kShift},
    {Qt::Key_Control, vk::kControl},
    {Qt::Key_Alt, vk::kAlt},
};

// Punctuation keys by what they type on a US layout, unshifted and shifted; digits by
// their shifted characters, so Shift+1 (which Qt reports as "!") is the 1 key.
constexpr std::string_view kPunctuation = ";=,-./`[\\]'", kPunctuationShifted = ":+<_>?~{|}\"";
constexpr int kPunctuationKeys[] = {
    vk::kSemicolon, vk::kEquals,      vk::kComma,     vk::kMinus,        vk::kPeriod,    vk::kSlash,
    vk::kGrave,     vk::kBracketLeft, vk::kBackslash, vk::kBracketRight, vk::kApostrophe};
constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
constexpr std::string_view kKeypadOperators = "*+-./";
constexpr int kKeypadKeys[] = {vk::kMultiply, vk::kAdd, vk::kSubtract, vk::kDecimal, vk::kDivide};

int CharacterKey(char c, bool keypad) {
  if (keypad && c >= '0' && c <= '9') return vk::kNumPad0 + (c - '0');
  if (keypad && kKeypadOperators.find(c) != std::string_view::npos)
    return kKeypadKeys[kKeypadOperators.find(c)];
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return c;
  if (kShiftedDigits.find(c) != std::string_view::npos)
    return vk::kDigit0 + static_cast<int>(kShiftedDigits.find(c));
  for (const std::string_view row : {kPunctuation, kPunctuationShifted})
    if (row.find(c) != std::string_view::npos) return kPunctuationKeys[row.find(c)];
  return kNoVirtualKey;
}

}  // namespace

int VirtualKeyOfQtKey(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F16) return vk::kF1 + (qtKey - Qt::Key_F1);
  for (const QtKeyCode& key : kNamedKeys)
    if (key.qtKey == qtKey) return key.virtualKey;
  if (qtKey == Qt::Key_Meta || qtKey == Qt::Key_AltGr || qtKey == Qt::Key_Super_L ||
      qtKey == Qt::Key_Super_R || qtKey == Qt::Key_Hyper_L || qtKey == Qt::Key_Hyper_R)
    return kLoneModifier;
  if (qtKey > 32 && qtKey < 127) return CharacterKey(static_cast<char>(qtKey), keypad);
  return kNoVirtualKey;
}

HotKeyBox::HotKeyBox(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
}

void HotKeyBox::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers held = event->modifiers();
  const int modifiers = (held & Qt::ShiftModifier ? 1 : 0) | (held & Qt::ControlModifier ? 2 : 0) |
                        (held & Qt::AltModifier ? 4 : 0);
  const int key = event->key();
  const bool dialogKey = key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
  if (dialogKey && modifiers == 0) {
    event->ignore();
    return;
  }
  event->accept();
  if (event->isAutoRepeat()) return;
  int virtualKey = keycodeToVirtualKey_ ? keycodeToVirtualKey_(event->nativeScanCode()) : 0;
  // Modifier keys keep Qt's answer, which the recording ignores.
  if (virtualKey == 0 || virtualKey == vk::kShift || virtualKey == vk::kControl ||
      virtualKey == vk::kAlt)
    virtualKey = VirtualKeyOfQtKey(key, held & Qt::KeypadModifier);
  emit KeyPressed(virtualKey, modifiers);
}

}  // namespace fenno
