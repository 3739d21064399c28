#pragma once

// Splits an expression into tokens without copying: every token's text is a view into the
// expression, which must outlive the tokenizer.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fenno {

enum class TokenKind : uint8_t {
  End,
  Number,      // digits and points, any number of points
  Identifier,  // a letter, "_" or "&", then letters, digits, "&" and "_"
  And,
  Eqv,
  Imp,
  Mod,
  Not,
  Or,
  Xor,
  HexPrefix,  // "&h" standing alone
  Plus,
  Minus,
  Times,
  Divide,
  IntegerDivide,
  Power,
  Equal,
  Less,
  Greater,
  NotEqual,
  LessEqual,
  GreaterEqual,
  OpenParen,
  CloseParen,
  Other,  // any other character, and ">>"
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view input) : input_(input) {}

  // The next token; End (with empty text) once the input is used up, as often as asked.
  Token Next();

 private:
  Token TakeWhile(TokenKind kind, size_t start, bool (*continues)(char));
  Token TakeComparison(size_t start);

  std::string_view input_;
  size_t pos_ = 0;
};

}  // namespace fenno
