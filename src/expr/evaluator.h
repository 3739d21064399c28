#pragma once

// Evaluates the math expressions of fields: numbers, "&h", one-argument functions, field(n)
// and thirteen levels of operators, computed while the expression is parsed.
//
// A failure is silent: the expression's value (Empty where a step failed, see below) still
// goes into the field and Evaluate returns false. Syntax faults (an unexpected token, a
// missing parenthesis, tokens left over) leave the value computed so far; a step that fails
// while running (division by zero, overflow, text that is not a number, log of 0 or less, a
// negative square root, asc of empty text, a field number outside 0 to 42) makes the
// operator level it ran in yield Empty, and the enclosing levels finish the operation they
// were in and stop.

#include <string_view>

#include "expr/random_sequence.h"
#include "expr/value.h"

namespace fenno {

class ExpressionEvaluator {
 public:
  // How deep an expression may nest. A parenthesis, a function argument, a prefix operator
  // and the right operand of a binary operator each go one level deeper than where they
  // stand (so 255 parentheses can nest, and a long flat expression stays shallow). A
  // deeper expression fails with an Empty value, so that none can exhaust the stack.
  static constexpr int kMaxDepth = 256;

  // Evaluates `expression` over `fields` and stores its value into fields[slot] whether or
  // not it failed; returns true when it did not fail. A slot outside the array is left
  // alone and gives false.
  bool Evaluate(std::string_view expression, FieldValueSlots& fields, int slot);

 private:
  RandomSequence random_;  // "rnd" continues its sequence from one evaluation to the next
};

}  // namespace fenno
