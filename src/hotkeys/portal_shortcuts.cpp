#include "hotkeys/portal_shortcuts.h"

#include <charconv>
#include <utility>

#include "hotkeys/hot_key_hook.h"
#include "keys/virtual_keys.h"

namespace fenno {
namespace {

constexpr std::string_view kIdPrefix = "hotkey-";

// Key names of the shortcuts format (the XKB key symbol names).
constexpr std::pair<int, std::string_view> kNamedKeys[] = {
    {vk::kBackspace, "BackSpace"},
    {vk::kTab, "Tab"},
    {vk::kEnter, "Return"},
    {vk::kPause, "Pause"},
    {vk::kEscape, "Escape"},
    {vk::kSpace, "space"},
    {vk::kPageUp, "Prior"},
    {vk::kPageDown, "Next"},
    {vk::kEnd, "End"},
    {vk::kHome, "Home"},
    {vk::kLeft, "Left"},
    {vk::kUp, "Up"},
    {vk::kRight, "Right"},
    {vk::kDown, "Down"},
    {vk::kPrintScreen, "Print"},
    {vk::kInsert, "Insert"},
    {vk::kDelete, "Delete"},
    {vk::kMultiply, "KP_Multiply"},
    {vk::kAdd, "KP_Add"},
    {vk::kSubtract, "KP_Subtract"},
    {vk::kDecimal, "KP_Decimal"},
    {vk::kDivide, "KP_Divide"},
    {vk::kSemicolon, "semicolon"},
    {vk::kEquals, "equal"},
    {vk::kComma, "comma"},
    {vk::kMinus, "minus"},
    {vk::kPeriod, "period"},
    {vk::kSlash, "slash"},
    {vk::kGrave, "grave"},
    {vk::kBracketLeft, "bracketleft"},
    {vk::kBackslash, "backslash"},
    {vk::kBracketRight, "bracketright"},
    {vk::kApostrophe, "apostrophe"},
};

std::string KeyName(int virtualKey) {
  if (virtualKey >= vk::kLetterA && virtualKey < vk::kLetterA + 26)
    return std::string(1, static_cast<char>('a' + virtualKey - vk::kLetterA));
  if (virtualKey >= vk::kDigit0 && virtualKey < vk::kDigit0 + 10)
    return std::string(1, static_cast<char>(virtualKey));
  if (virtualKey >= vk::kNumPad0 && virtualKey < vk::kNumPad0 + 10)
    return "KP_" + std::to_string(virtualKey - vk::kNumPad0);
  if (virtualKey >= vk::kF1 && virtualKey < vk::kF1 + 24)
    return "F" + std::to_string(virtualKey - vk::kF1 + 1);
  for (const auto& [code, name] : kNamedKeys)
    if (code == virtualKey) return std::string(name);
  return "";
}

}  // namespace

std::string ShortcutId(int code) {
  return std::string(kIdPrefix) + std::to_string(code);
}

std::optional<int> CodeOfShortcutId(std::string_view id) {
  if (id.substr(0, kIdPrefix.size()) != kIdPrefix) return std::nullopt;
  id.remove_prefix(kIdPrefix.size());
  int code = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), code);
  if (error != std::errc() || end != id.data() + id.size()) return std::nullopt;
  return code;
}

std::string ShortcutTrigger(int code) {
  const std::string key = KeyName(code & 0xFF);
  if (key.empty()) return "";
  const int modifiers = code >> 8;
  std::string trigger;
  if (modifiers & kHotKeyCtrl) trigger += "CTRL+";
  if (modifiers & kHotKeyAlt) trigger += "ALT+";
  if (modifiers & kHotKeyShift) trigger += "SHIFT+";
  return trigger + key;
}

}  // namespace fenno
