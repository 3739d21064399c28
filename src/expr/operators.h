#pragma once

// What the operators of the expression language do to values. A step that fails (division
// by zero, overflow, text that is not a number where one is needed) gives nullopt.
//
// "+" with an Empty operand gives the other operand unchanged, and joins two texts.
//
// Kinds of results: Integer, Long, Boolean and Empty are whole-number kinds (Empty counts as
// a 16-bit 0). "+", "-", "*" and unary "-" on two whole-number kinds give an Integer when
// both are 16-bit and the result fits, else a Long when it fits, else a Double; with any
// other kind they give a Double. "/" and "^" always give a Double. A Double result that is
// not finite is an overflow.
//
// Comparisons: a text on the right is read the way val reads it (text that is no number
// counts as 0), a number on the right is taken as it is (a Boolean as -1 or 0), and the left
// operand must be a number or numeric text.

#include <cstdint>
#include <optional>

#include "expr/value.h"

namespace fenno {

using Outcome = std::optional<Value>;

enum class BinaryOperator {
  Power,
  Multiply,
  Divide,
  IntegerDivide,
  Modulo,
  Add,
  Subtract,
  Equal,
  Less,
  Greater,
  NotEqual,
  LessEqual,
  GreaterEqual,
  And,
  Or,
  Xor,
  Eqv,
  Imp,
};

Outcome ApplyBinary(BinaryOperator op, Value left, Value right);
Outcome Negate(const Value& operand);
// "not": the bitwise complement.
Outcome Complement(const Value& operand);
// "&h" joined to its operand: a text operand's hexadecimal digits as a 32-bit number, an
// Empty operand 0; a number operand fails, since "&h" + number is an addition of a text that
// is not a number.
Outcome HexPrefixed(const Value& operand);

// Helpers shared with the built-in functions.
bool IsWholeKind(Value::Kind kind);
bool Is16BitKind(Value::Kind kind);  // Integer, Boolean and Empty
// A Double, or nullopt when the number is not finite.
Outcome FiniteDouble(double number);
// A whole number as Integer (when narrow and it fits), Long (when it fits) or Double.
Outcome WholeResult(double number, bool narrow);

// An operand of the bitwise operators and of "hex": rounded to a whole number, 16-bit
// when the value's kind is.
struct BitOperand {
  int32_t bits = 0;
  bool narrow = false;   // 16-bit
  bool boolean = false;  // a Boolean
};
std::optional<BitOperand> ToBitOperand(const Value& value);

}  // namespace fenno
