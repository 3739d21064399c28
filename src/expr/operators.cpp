#include "expr/operators.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace fenno {
namespace {

template <typename Int>
bool Fits(double number) {
  return number >= std::numeric_limits<Int>::min() && number <= std::numeric_limits<Int>::max();
}

bool BothWhole(const Value& left, const Value& right) {
  return IsWholeKind(left.kind()) && IsWholeKind(right.kind());
}

bool BothNarrow(const Value& left, const Value& right) {
  return Is16BitKind(left.kind()) && Is16BitKind(right.kind());
}

// Whole-number arithmetic is done in 64 bits so that a product of two Longs stays exact.
Outcome WholeArithmetic(BinaryOperator op, int64_t a, int64_t b, bool narrow) {
  int64_t result = 0;
  switch (op) {
    case BinaryOperator::Add:
      result = a + b;
      break;
    case BinaryOperator::Subtract:
      result = a - b;
      break;
    default:
      result = a * b;
      break;
  }
  return WholeResult(static_cast<double>(result), narrow);
}

Outcome DoubleArithmetic(BinaryOperator op, double a, double b) {
  switch (op) {
    case BinaryOperator::Add:
      return FiniteDouble(a + b);
    case BinaryOperator::Subtract:
      return FiniteDouble(a - b);
    case BinaryOperator::Multiply:
      return FiniteDouble(a * b);
    case BinaryOperator::Divide:
      if (b == 0) return std::nullopt;
      return FiniteDouble(a / b);
    default:
      return FiniteDouble(std::pow(a, b));  // NaN for a negative base and a fraction
  }
}

Outcome Arithmetic(BinaryOperator op, const Value& left, const Value& right) {
  const std::optional<double> a = left.ToNumber();
  const std::optional<double> b = right.ToNumber();
  if (!a || !b) return std::nullopt;
  const bool wholeOperation =
      op == BinaryOperator::Add || op == BinaryOperator::Subtract || op == BinaryOperator::Multiply;
  if (wholeOperation && BothWhole(left, right)) {
    return WholeArithmetic(op, static_cast<int64_t>(*a), static_cast<int64_t>(*b),
                           BothNarrow(left, right));
  }
  return DoubleArithmetic(op, *a, *b);
}

Outcome Add(Value left, Value right) {
  if (left.IsEmpty()) return right;
  if (right.IsEmpty()) return left;
  if (left.IsText() && right.IsText()) {
    if (left.TextIfText()->size() + right.TextIfText()->size() > kMaxTextBytes) return std::nullopt;
    left.AppendText(*right.TextIfText());
    return left;
  }
  return Arithmetic(BinaryOperator::Add, left, right);
}

std::optional<int32_t> RoundedOperand(const Value& value) {
  const std::optional<double> number = value.ToNumber();
  if (!number) return std::nullopt;
  return RoundToLong(*number);
}

// "\" and "mod": rounded operands, quotient truncated toward zero, remainder with the sign
// of the left operand.
Outcome WholeDivision(BinaryOperator op, const Value& left, const Value& right) {
  const std::optional<int32_t> a = RoundedOperand(left);
  const std::optional<int32_t> b = RoundedOperand(right);
  if (!a || !b || *b == 0) return std::nullopt;
  const int64_t result = op == BinaryOperator::IntegerDivide ? int64_t{*a} / *b : int64_t{*a} % *b;
  if (!Fits<int32_t>(static_cast<double>(result))) return std::nullopt;
  return WholeResult(static_cast<double>(result), BothNarrow(left, right));
}

// Numbers on the right are not sent through their text form: a Boolean would read as 0 and
// a Single would lose its exact value.
std::optional<double> ComparedRightOperand(const Value& right) {
  if (const std::string* text = right.TextIfText()) return ValChecked(*text);
  return right.number();
}

Outcome Compare(BinaryOperator op, const Value& left, const Value& right) {
  const std::optional<double> a = left.ToNumber();
  const std::optional<double> b = ComparedRightOperand(right);
  if (!a || !b) return std::nullopt;
  switch (op) {
    case BinaryOperator::Equal:
      return Value::Boolean(*a == *b);
    case BinaryOperator::Less:
      return Value::Boolean(*a < *b);
    case BinaryOperator::Greater:
      return Value::Boolean(*a > *b);
    case BinaryOperator::NotEqual:
      return Value::Boolean(*a != *b);
    case BinaryOperator::LessEqual:
      return Value::Boolean(*a <= *b);
    default:
      return Value::Boolean(*a >= *b);
  }
}

int32_t CombineBits(BinaryOperator op, int32_t a, int32_t b) {
  switch (op) {
    case BinaryOperator::And:
      return a & b;
    case BinaryOperator::Or:
      return a | b;
    case BinaryOperator::Xor:
      return a ^ b;
    case BinaryOperator::Eqv:
      return ~(a ^ b);
    default:
      return ~a | b;  // Imp
  }
}

// Sign-extended 16-bit operands give sign-extended 16-bit results, so narrowing is exact.
Value BitResult(int32_t bits, bool narrow, bool boolean) {
  if (boolean) return Value::Boolean(bits != 0);
  if (narrow) return Value::Integer(static_cast<int16_t>(bits));
  return Value::Long(bits);
}

Outcome Bitwise(BinaryOperator op, const Value& left, const Value& right) {
  const std::optional<BitOperand> a = ToBitOperand(left);
  const std::optional<BitOperand> b = ToBitOperand(right);
  if (!a || !b) return std::nullopt;
  return BitResult(CombineBits(op, a->bits, b->bits), a->narrow && b->narrow,
                   a->boolean && b->boolean);
}

}  // namespace

bool IsWholeKind(Value::Kind kind) {
  return Is16BitKind(kind) || kind == Value::Kind::Long;
}

bool Is16BitKind(Value::Kind kind) {
  return kind == Value::Kind::Integer || kind == Value::Kind::Boolean || kind == Value::Kind::Empty;
}

Outcome FiniteDouble(double number) {
  if (!std::isfinite(number)) return std::nullopt;
  return Value::Double(number);
}

Outcome WholeResult(double number, bool narrow) {
  if (narrow && Fits<int16_t>(number)) return Value::Integer(static_cast<int16_t>(number));
  if (Fits<int32_t>(number)) return Value::Long(static_cast<int32_t>(number));
  return FiniteDouble(number);
}

std::optional<BitOperand> ToBitOperand(const Value& value) {
  if (Is16BitKind(value.kind())) {
    return BitOperand{static_cast<int32_t>(value.number()), true,
                      value.kind() == Value::Kind::Boolean};
  }
  const std::optional<int32_t> bits = RoundedOperand(value);
  if (!bits) return std::nullopt;
  return BitOperand{*bits, false, false};
}

Outcome ApplyBinary(BinaryOperator op, Value left, Value right) {
  switch (op) {
    case BinaryOperator::Add:
      return Add(std::move(left), std::move(right));
    case BinaryOperator::Power:
    case BinaryOperator::Multiply:
    case BinaryOperator::Divide:
    case BinaryOperator::Subtract:
      return Arithmetic(op, left, right);
    case BinaryOperator::IntegerDivide:
    case BinaryOperator::Modulo:
      return WholeDivision(op, left, right);
    case BinaryOperator::Equal:
    case BinaryOperator::Less:
    case BinaryOperator::Greater:
    case BinaryOperator::NotEqual:
    case BinaryOperator::LessEqual:
    case BinaryOperator::GreaterEqual:
      return Compare(op, left, right);
    default:
      return Bitwise(op, left, right);
  }
}

Outcome Negate(const Value& operand) {
  const std::optional<double> number = operand.ToNumber();
  if (!number) return std::nullopt;
  if (IsWholeKind(operand.kind())) return WholeResult(-*number, Is16BitKind(operand.kind()));
  return FiniteDouble(-*number);
}

Outcome Complement(const Value& operand) {
  const std::optional<BitOperand> bits = ToBitOperand(operand);
  if (!bits) return std::nullopt;
  return BitResult(~bits->bits, bits->narrow, bits->boolean);
}

Outcome HexPrefixed(const Value& operand) {
  if (operand.IsNumber()) return std::nullopt;
  const std::string* text = operand.TextIfText();
  const LeadingNumber number = ReadHexLong(text ? std::string_view(*text) : std::string_view());
  if (!number.fits) return std::nullopt;
  return Value::Double(number.value);
}

}  // namespace fenno
