#include "keys/key_pickers.h"

#include <string_view>

#include "config/settings.h"

namespace fenno {
namespace {

constexpr std::string_view kNamedKeys[] = {
    "NUL",  "SPACE", "ENTER", "BACKSPACE", "TAB",     "INSERT",    "DELETE", "UP",
    "DOWN", "RIGHT", "LEFT",  "HOME",      "END",     "PGDN",      "PGUP",   "ESCAPE",
    "HELP", "BREAK", "CLEAR", "CAPSLOCK",  "NUMLOCK", "SCROLLOCK", "PRTSC"};

// Characters the macro language reads as its own syntax: typed, they go in braces.
constexpr std::string_view kSyntaxCharacters = "{}+^%~[]()";

std::vector<std::string> BuildList() {
  std::vector<std::string> list(std::begin(kNamedKeys), std::end(kNamedKeys));
  for (int i = 1; i <= 16; ++i) list.push_back("F" + std::to_string(i));
  for (int c = 33; c <= 126; ++c) list.emplace_back(1, static_cast<char>(c));
  for (int c = 161; c <= 255; ++c) list.emplace_back(1, static_cast<char>(c));
  return list;
}

}  // namespace

const std::vector<std::string>& KeystrokePickList() {
  static const std::vector<std::string> list = BuildList();
  return list;
}

std::string PickKeystroke(const std::string& entry, bool alt, bool ctrl, bool shift) {
  if (entry == kNulEntry) return entry;
  std::string prefix = alt ? "%" : "";
  if (ctrl) prefix.insert(0, "^");
  if (shift) prefix.insert(0, "+");
  if (entry == "SPACE") return prefix + " ";
  const bool single = entry.size() == 1;
  if (single && static_cast<unsigned char>(entry[0]) > 127) return entry;
  if (!single || kSyntaxCharacters.find(entry[0]) != std::string_view::npos)
    return prefix + "{" + entry + "}";
  return prefix + entry;
}

}  // namespace fenno
