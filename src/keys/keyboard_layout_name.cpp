#include "keys/keyboard_layout_name.h"

namespace fenno {
namespace {

std::string_view FirstItem(std::string_view list) {
  return list.substr(0, list.find(','));
}

// The value of `key=` on a line of its own, or nullopt.
std::optional<std::string_view> IniValue(std::string_view text, std::string_view key) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
      return line.substr(key.size() + 1);
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<LayoutName> LayoutFromGnomeSources(std::string_view text) {
  constexpr std::string_view kXkbSource = "('xkb', '";
  const size_t at = text.find(kXkbSource);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view rest = text.substr(at + kXkbSource.size());
  const std::string_view name = rest.substr(0, rest.find('\''));
  if (name.empty()) return std::nullopt;
  const size_t plus = name.find('+');
  LayoutName layout{std::string(name.substr(0, plus)), ""};
  if (plus != std::string_view::npos) layout.variant = name.substr(plus + 1);
  return layout;
}

std::optional<LayoutName> LayoutFromKdeSettings(std::string_view text) {
  const auto layouts = IniValue(text, "LayoutList");
  if (!layouts || FirstItem(*layouts).empty()) return std::nullopt;
  LayoutName layout{std::string(FirstItem(*layouts)), ""};
  if (const auto variants = IniValue(text, "VariantList")) layout.variant = FirstItem(*variants);
  return layout;
}

}  // namespace fenno
