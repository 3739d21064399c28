#include "hotkeys/hot_key_names.h"

#include <algorithm>

#include "hotkeys/hot_key_hook.h"
#include "keys/virtual_keys.h"

namespace fenno {
namespace {

struct NamedKey {
  int virtualKey;
  std::string_view name;
};

// PRTSC sits at 42: stored hot-key codes use that number for the print key.
constexpr NamedKey kSingleNames[] = {
    {0, "None"},      {8, "BACKSPACE"},   {9, "TAB"},      {12, "CLEAR"},   {13, "ENTER"},
    {19, "BREAK"},    {20, "CAPSLOCK"},   {27, "ESCAPE"},  {32, "SPACE"},   {33, "PGUP"},
    {34, "PGDN"},     {35, "END"},        {36, "HOME"},    {37, "LEFT"},    {38, "UP"},
    {39, "RIGHT"},    {40, "DOWN"},       {42, "PRTSC"},   {45, "INSERT"},  {46, "DELETE"},
    {106, "Gray *"},  {107, "Gray +"},    {109, "Gray -"}, {110, "Gray ."}, {111, "Gray /"},
    {144, "NUMLOCK"}, {145, "SCROLLOCK"}, {186, ";"},      {187, "="},      {188, ","},
    {189, "-"},       {190, "."},         {191, "/"},      {192, "`"},      {219, "["},
    {220, "\\"},      {221, "]"},         {222, "'"},
};

struct NameTable {
  std::array<std::string, kKeyNameCount> names;

  NameTable() {
    for (const NamedKey& key : kSingleNames) names[key.virtualKey] = key.name;
    for (int i = 0; i < 10; ++i)
      names[vk::kDigit0 + i] = std::string(1, static_cast<char>('0' + i));
    for (int i = 0; i < 26; ++i)
      names[vk::kLetterA + i] = std::string(1, static_cast<char>('A' + i));
    for (int i = 0; i < 10; ++i) names[vk::kNumPad0 + i] = "NumPad " + std::to_string(i);
    for (int i = 0; i < 16; ++i) names[vk::kF1 + i] = "F" + std::to_string(i + 1);
  }
};

std::array<int, kKeyPickCount> BuildPickList() {
  constexpr int kNamedFirst[] = {0,  32, 13, 8,  9,  45, 46, 38, 40,  39,  37,
                                 36, 35, 34, 33, 27, 19, 12, 20, 144, 145, 42};
  constexpr int kAfterKeypad[] = {106, 107, 109, 110, 111, 186, 187, 188,
                                  189, 190, 191, 192, 219, 220, 221, 222};
  std::array<int, kKeyPickCount> list{};
  size_t at = 0;
  for (const int key : kNamedFirst) list[at++] = key;
  for (int i = 0; i < 16; ++i) list[at++] = vk::kF1 + i;
  for (int i = 0; i < 10; ++i) list[at++] = vk::kNumPad0 + i;
  for (const int key : kAfterKeypad) list[at++] = key;
  for (int i = 0; i < 10; ++i) list[at++] = vk::kDigit0 + i;
  for (int i = 0; i < 26; ++i) list[at++] = vk::kLetterA + i;
  return list;
}

}  // namespace

std::string_view KeyName(int virtualKey) {
  static const NameTable table;
  if (virtualKey < 0 || virtualKey >= kKeyNameCount) return {};
  return table.names[static_cast<size_t>(virtualKey)];
}

const std::array<int, kKeyPickCount>& KeyPickList() {
  static const std::array<int, kKeyPickCount> list = BuildPickList();
  return list;
}

std::string HotKeyText(int code) {
  const int modifiers = (code >> 8) & 255, key = code & 255;
  std::string text;
  if (modifiers & kHotKeyShift) text += "SHIFT+";
  if (modifiers & kHotKeyCtrl) text += "CTRL+";
  if (modifiers & kHotKeyAlt) text += "ALT+";
  const std::string_view name = KeyName(key);
  // Keys the table has no name for (keys of national layouts) would otherwise show as
  // a bare "CTRL+".
  text += name.empty() ? "#" + std::to_string(key) : std::string(name);
  return text;
}

std::optional<PickedHotKey> RecordHotKey(int virtualKey, int modifiers) {
  if (virtualKey == vk::kShift || virtualKey == vk::kControl || virtualKey == vk::kAlt)
    return std::nullopt;
  const int code = (modifiers & 7) * 256 + (virtualKey & 255);
  return PickedHotKey{code, HotKeyText(code)};
}

PickedHotKey PickHotKey(int position, bool alt, bool ctrl, bool shift) {
  const int key = KeyPickList()[static_cast<size_t>(std::clamp(position, 0, kKeyPickCount - 1))];
  const int modifiers =
      (alt ? kHotKeyAlt : 0) | (ctrl ? kHotKeyCtrl : 0) | (shift ? kHotKeyShift : 0);
  const int code = modifiers * 256 + key;
  return {code, HotKeyText(code)};
}

}  // namespace fenno
