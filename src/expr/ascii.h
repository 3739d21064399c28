#pragma once

// Character tests on bytes. Only ASCII letters have a case here: texts are bytes of an
// unknown character set, and changing other bytes could break multi-byte characters.

#include <cstddef>
#include <string_view>

namespace fenno {

constexpr bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
constexpr bool IsAsciiUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool IsAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}
constexpr bool IsAsciiLetter(char c) {
  return IsAsciiUpper(c) || IsAsciiLower(c);
}
constexpr char LowerAscii(char c) {
  return IsAsciiUpper(c) ? static_cast<char>(c + 32) : c;
}
constexpr char UpperAscii(char c) {
  return IsAsciiLower(c) ? static_cast<char>(c - 32) : c;
}

constexpr bool EqualsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (LowerAscii(text[i]) != lowerWord[i]) return false;
  }
  return true;
}

}  // namespace fenno
