#include "expr/functions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "expr/ascii.h"

namespace fenno {
namespace {

double Absolute(double x) {
  return std::fabs(x);
}
double Truncated(double x) {
  return std::trunc(x);
}
double Floor(double x) {
  return std::floor(x);
}
double Arctangent(double x) {
  return std::atan(x);
}
double Cosine(double x) {
  return std::cos(x);
}
double Sine(double x) {
  return std::sin(x);
}
double Tangent(double x) {
  return std::tan(x);
}
double Exponential(double x) {
  return std::exp(x);
}
// The logarithm of 0 is -infinity and of a negative number NaN, and a negative square root
// is NaN: FiniteDouble turns all of them into failures.
double Logarithm(double x) {
  return std::log(x);
}
double SquareRoot(double x) {
  return x < 0 ? NAN : std::sqrt(x);
}

template <double (*Function)(double)>
Outcome DoubleFunction(Value argument, FunctionContext&) {
  const std::optional<double> number = argument.ToNumber();
  if (!number) return std::nullopt;
  return FiniteDouble(Function(*number));
}

template <double (*Function)(double)>
Outcome KindKeepingFunction(Value argument, FunctionContext&) {
  const std::optional<double> number = argument.ToNumber();
  if (!number) return std::nullopt;
  const double result = Function(*number);
  switch (argument.kind()) {
    case Value::Kind::Single:
      return Value::Single(static_cast<float>(result));
    case Value::Kind::Double:
    case Value::Kind::Text:
      return FiniteDouble(result);
    default:
      return WholeResult(result, Is16BitKind(argument.kind()));
  }
}

template <char (*Map)(char)>
Outcome MapCharacters(Value argument, FunctionContext&) {
  std::string text = argument.TakeText();
  for (char& c : text) c = Map(c);
  return Value::Text(std::move(text));
}

Outcome TrimSpaces(Value argument, bool leading, bool trailing) {
  std::string text = argument.TakeText();
  if (trailing) text.erase(text.find_last_not_of(' ') + 1);
  if (leading) text.erase(0, text.find_first_not_of(' '));
  return Value::Text(std::move(text));
}

Outcome LTrim(Value argument, FunctionContext&) {
  return TrimSpaces(std::move(argument), true, false);
}
Outcome RTrim(Value argument, FunctionContext&) {
  return TrimSpaces(std::move(argument), false, true);
}
Outcome Trim(Value argument, FunctionContext&) {
  return TrimSpaces(std::move(argument), true, true);
}

Outcome Asc(Value argument, FunctionContext&) {
  const std::string text = argument.TakeText();
  if (text.empty()) return std::nullopt;
  return Value::Integer(static_cast<unsigned char>(text.front()));
}

Outcome Hex(Value argument, FunctionContext&) {
  const std::optional<BitOperand> operand = ToBitOperand(argument);
  if (!operand) return std::nullopt;
  const uint32_t bits =
      operand->narrow ? static_cast<uint16_t>(operand->bits) : static_cast<uint32_t>(operand->bits);
  char digits[8];
  const auto result = std::to_chars(digits, digits + sizeof digits, bits, 16);
  std::string text(digits, result.ptr);
  for (char& c : text) c = UpperAscii(c);
  return Value::Text(std::move(text));
}

Outcome Rnd(Value argument, FunctionContext& context) {
  const std::optional<double> number = argument.ToNumber();
  if (!number) return std::nullopt;
  return Value::Single(context.random.Rnd(*number));
}

Outcome Sgn(Value argument, FunctionContext&) {
  const std::optional<double> number = argument.ToNumber();
  if (!number) return std::nullopt;
  return Value::Integer(static_cast<int16_t>((*number > 0) - (*number < 0)));
}

Outcome ValFunction(Value argument, FunctionContext&) {
  const std::optional<double> number =
      argument.IsText() ? ValChecked(*argument.TextIfText()) : ValChecked(argument.ToText());
  if (!number) return std::nullopt;
  return Value::Double(*number);
}

Outcome Field(Value argument, FunctionContext& context) {
  const std::optional<double> number = argument.ToNumber();
  if (!number) return std::nullopt;
  const std::optional<int32_t> index = RoundToLong(*number);
  if (!index || *index < 0 || *index >= static_cast<int32_t>(context.fields.size())) {
    return std::nullopt;
  }
  return context.fields[static_cast<size_t>(*index)];
}

struct NamedFunction {
  std::string_view name;
  BuiltinFunction function;
};

constexpr std::array<NamedFunction, 21> kFunctions = {{
    {"field", Field},
    {"val", ValFunction},
    {"abs", KindKeepingFunction<Absolute>},
    {"asc", Asc},
    {"atn", DoubleFunction<Arctangent>},
    {"cos", DoubleFunction<Cosine>},
    {"exp", DoubleFunction<Exponential>},
    {"fix", KindKeepingFunction<Truncated>},
    {"hex", Hex},
    {"int", KindKeepingFunction<Floor>},
    {"lcase", MapCharacters<LowerLatin1Letter>},
    {"log", DoubleFunction<Logarithm>},
    {"ltrim", LTrim},
    {"rnd", Rnd},
    {"rtrim", RTrim},
    {"sgn", Sgn},
    {"sin", DoubleFunction<Sine>},
    {"sqr", DoubleFunction<SquareRoot>},
    {"tan", DoubleFunction<Tangent>},
    {"trim", Trim},
    {"ucase", MapCharacters<UpperLatin1Letter>},
}};

}  // namespace

BuiltinFunction FindBuiltinFunction(std::string_view name) {
  for (const NamedFunction& entry : kFunctions) {
    if (EqualsIgnoringCase(name, entry.name)) return entry.function;
  }
  return nullptr;
}

}  // namespace fenno
