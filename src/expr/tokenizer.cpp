#include "expr/tokenizer.h"

#include <array>
#include <utility>

#include "expr/ascii.h"
#include "expr/number_text.h"

namespace fenno {
namespace {

bool ContinuesNumber(char c) {
  return IsAsciiDigit(c) || c == '.';
}
bool ContinuesIdentifier(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '&' || c == '_';
}

constexpr std::array<std::pair<std::string_view, TokenKind>, 8> kKeywords = {{
    {"and", TokenKind::And},
    {"eqv", TokenKind::Eqv},
    {"imp", TokenKind::Imp},
    {"mod", TokenKind::Mod},
    {"not", TokenKind::Not},
    {"or", TokenKind::Or},
    {"xor", TokenKind::Xor},
    {"&h", TokenKind::HexPrefix},
}};

TokenKind IdentifierOrKeyword(std::string_view text) {
  for (const auto& [word, kind] : kKeywords) {
    if (EqualsIgnoringCase(text, word)) return kind;
  }
  return TokenKind::Identifier;
}

TokenKind SingleCharacterKind(char c) {
  switch (c) {
    case '+':
      return TokenKind::Plus;
    case '-':
      return TokenKind::Minus;
    case '*':
      return TokenKind::Times;
    case '/':
      return TokenKind::Divide;
    case '\\':
      return TokenKind::IntegerDivide;
    case '^':
      return TokenKind::Power;
    case '=':
      return TokenKind::Equal;
    case '(':
      return TokenKind::OpenParen;
    case ')':
      return TokenKind::CloseParen;
    default:
      return TokenKind::Other;
  }
}

}  // namespace

Token Tokenizer::Next() {
  while (pos_ < input_.size() && IsBlank(input_[pos_])) ++pos_;
  if (pos_ >= input_.size()) return {};
  const size_t start = pos_;
  const char first = input_[pos_];
  if (ContinuesNumber(first)) return TakeWhile(TokenKind::Number, start, ContinuesNumber);
  if (IsAsciiLetter(first) || first == '_' || first == '&') {
    Token token = TakeWhile(TokenKind::Identifier, start, ContinuesIdentifier);
    token.kind = IdentifierOrKeyword(token.text);
    return token;
  }
  if (first == '<' || first == '>') return TakeComparison(start);
  ++pos_;
  return {SingleCharacterKind(first), input_.substr(start, 1)};
}

Token Tokenizer::TakeWhile(TokenKind kind, size_t start, bool (*continues)(char)) {
  pos_ = start + 1;
  while (pos_ < input_.size() && continues(input_[pos_])) ++pos_;
  return {kind, input_.substr(start, pos_ - start)};
}

Token Tokenizer::TakeComparison(size_t start) {
  const char first = input_[start];
  pos_ = start + 1;
  const char second = pos_ < input_.size() ? input_[pos_] : '\0';
  if (second != '=' && second != '>') {
    return {first == '<' ? TokenKind::Less : TokenKind::Greater, input_.substr(start, 1)};
  }
  ++pos_;
  const std::string_view text = input_.substr(start, 2);
  if (first == '<') return {second == '=' ? TokenKind::LessEqual : TokenKind::NotEqual, text};
  return {second == '=' ? TokenKind::GreaterEqual : TokenKind::Other, text};
}

}  // namespace fenno
