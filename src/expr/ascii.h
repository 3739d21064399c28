#pragma once

// Character tests on bytes. Syntax (keywords, names, commands) knows ASCII letters only;
// the case of user texts (lcase, ucase, window titles, button captions) follows Latin-1,
// the character set of the program's 8-bit texts.

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

// Latin-1 letters: A-Z and the accented capitals 0xC0-0xDE (not 0xD7, the multiplication
// sign) pair with their small letters 32 codes higher. Small letters without a capital in
// Latin-1 (0xDF, 0xFF, 0xB5) stay as they are.
constexpr char UpperLatin1Letter(char c) {
  const auto code = static_cast<unsigned char>(c);
  const bool small = IsAsciiLower(c) || (code >= 0xE0 && code <= 0xFE && code != 0xF7);
  return small ? static_cast<char>(code - 32) : c;
}
constexpr char LowerLatin1Letter(char c) {
  const auto code = static_cast<unsigned char>(c);
  const bool capital = IsAsciiUpper(c) || (code >= 0xC0 && code <= 0xDE && code != 0xD7);
  return capital ? static_cast<char>(code + 32) : c;
}

constexpr bool EqualsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (LowerAscii(text[i]) != lowerWord[i]) return false;
  }
  return true;
}

}  // namespace fenno
