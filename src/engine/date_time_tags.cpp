#include "engine/date_time_tags.h"

#include <algorithm>
#include <cctype>

namespace fenno {
namespace {

std::string TwoDigits(int value) {
  value = ((value % 100) + 100) % 100;
  return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

size_t FindIgnoringCase(std::string_view text, std::string_view tag) {
  const auto it = std::search(text.begin(), text.end(), tag.begin(), tag.end(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == b;
  });
  return it == text.end() ? std::string_view::npos : static_cast<size_t>(it - text.begin());
}

}  // namespace

std::string ExpandDateTimeTags(std::string_view text, const LocalDateTime& now) {
  std::string result(text);
  if (result.find('{') == std::string::npos) return result;
  const std::pair<std::string_view, std::string> tags[] = {
      {"{CENTURY}", TwoDigits(now.year / 100)}, {"{YEAR}", TwoDigits(now.year)},
      {"{MONTH}", TwoDigits(now.month)},        {"{DAY}", TwoDigits(now.day)},
      {"{HOUR}", TwoDigits(now.hour)},          {"{MINUTE}", TwoDigits(now.minute)},
      {"{SECOND}", TwoDigits(now.second)},
  };
  for (const auto& [tag, digits] : tags) {
    const size_t at = FindIgnoringCase(result, tag);
    if (at != std::string::npos) result.replace(at, tag.size(), digits);
  }
  return result;
}

}  // namespace fenno
