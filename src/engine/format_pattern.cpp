#include "engine/format_pattern.h"

namespace fenno {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool ReadLiteral(std::string_view section, size_t& i, std::string_view& literal) {
  if (section[i] == '\\' && i + 1 < section.size()) {
    literal = section.substr(i + 1, 1);
    i += 2;
    return true;
  }
  if (section[i] == '"') {
    const size_t close = section.find('"', i + 1);
    const size_t end = close == std::string_view::npos ? section.size() : close;
    literal = section.substr(i + 1, end - i - 1);
    i = end == section.size() ? end : end + 1;
    return true;
  }
  return false;
}

std::optional<PatternSections> SplitSections(std::string_view pattern) {
  PatternSections result;
  size_t start = 0;
  size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] == '\\') {
      if (i + 1 == pattern.size()) return std::nullopt;
      i += 2;
    } else if (pattern[i] == '"') {
      const size_t close = pattern.find('"', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      i = close + 1;
    } else if (pattern[i] == ';') {
      if (result.count < 3)
        result.section[static_cast<size_t>(result.count++)] = pattern.substr(start, i - start);
      start = ++i;
    } else {
      ++i;
    }
  }
  if (result.count < 3) result.section[static_cast<size_t>(result.count++)] = pattern.substr(start);
  return result;
}

}  // namespace fenno
