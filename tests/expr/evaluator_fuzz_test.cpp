// Random and mutated expressions: none may crash, hang or leave a value of impossible
// content, and the same input must always give the same result.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "expr/evaluator.h"
#include "value_printer.h"

namespace fenno {
namespace {

constexpr int kResultSlot = 5;

const std::vector<std::string> kPieces = {
    "0",      "1",     "2.5",    "65536", "1.2.3",  "99999999999", "field(1)", "field(2)",
    "field(", "(",     ")",      "+",     "-",      "*",           "/",        "\\",
    "^",      "=",     "<",      ">",     "<>",     "<=",          ">=",       ">>",
    " and ",  " or ",  " xor ",  " eqv ", " imp ",  " mod ",       "not ",     "&h ",
    "abs(",   "asc(",  "atn(",   "cos(",  "exp(",   "fix(",        "hex(",     "int(",
    "lcase(", "log(",  "ltrim(", "rnd(",  "rtrim(", "sgn(",        "sin(",     "sqr(",
    "tan(",   "trim(", "ucase(", "val(",  "foo(",   "\"",          "#",        std::string(1, '\0'),
    "\xff",   " ",     "&hFF",   ",",     "\t",     "&",           "_x",       "1e5",
};

const std::vector<std::string> kSeeds = {
    "val(field(1))*2.54",
    "&h field(2) and 255",
    "field(1)+field(2)",
    "(field(1) > 5) or (val(field(2)) <= 3) xor not 0",
    "hex(asc(field(3)) mod 7 \\ 2)",
    "sqr(abs(sin(1.5)^2 - 1)) + log(exp(2)) - rnd(-1)",
    "trim(lcase(ucase(ltrim(rtrim(field(3))))))",
    "2^3^2 - -2^2 + 2^-1 * fix(-2.5) / int(2.5) imp 1 eqv 0",
};

const std::vector<std::string> kFieldTexts = {"12", "FFFF", "  abc  ", " 1e3 ",
                                              "",   "-0.5", "&H7F",    std::string(300, '7')};

std::string RandomPieces(std::mt19937& random) {
  std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
  const int count = std::uniform_int_distribution<int>(1, 40)(random);
  std::string expression;
  for (int i = 0; i < count; ++i) expression += kPieces[pick(random)];
  return expression;
}

std::string Mutated(std::mt19937& random) {
  std::string expression = kSeeds[random() % kSeeds.size()];
  const int edits = std::uniform_int_distribution<int>(1, 6)(random);
  for (int i = 0; i < edits; ++i) {
    const size_t at = random() % (expression.size() + 1);
    const char byte = static_cast<char>(random() % 256);
    switch (random() % 4) {
      case 0:
        expression.insert(at, 1, byte);
        break;
      case 1:
        if (at < expression.size()) expression.erase(at, 1 + random() % 4);
        break;
      case 2:
        if (at < expression.size()) expression[at] = byte;
        break;
      default:
        expression.insert(at, expression.substr(at, random() % 12));
        break;
    }
  }
  return expression;
}

std::string RandomBytes(std::mt19937& random) {
  std::string expression(random() % 60, '\0');
  for (char& c : expression) c = static_cast<char>(random() % 256);
  return expression;
}

FieldValueSlots RandomFields(std::mt19937& random) {
  FieldValueSlots fields;
  for (int i = 1; i <= 3; ++i) fields[i] = Value::Text(kFieldTexts[random() % kFieldTexts.size()]);
  return fields;
}

template <typename Int>
bool FitsExactly(double number) {
  return number == std::trunc(number) && number >= std::numeric_limits<Int>::min() &&
         number <= std::numeric_limits<Int>::max();
}

// Whatever an expression does, a number it leaves must be one its kind can hold.
void ExpectPlausible(const Value& value) {
  const double number = value.number();
  switch (value.kind()) {
    case Value::Kind::Double:
      EXPECT_TRUE(std::isfinite(number));
      break;
    case Value::Kind::Single:
      EXPECT_TRUE(std::isfinite(number));
      break;
    case Value::Kind::Integer:
      EXPECT_TRUE(FitsExactly<int16_t>(number));
      break;
    case Value::Kind::Long:
      EXPECT_TRUE(FitsExactly<int32_t>(number));
      break;
    case Value::Kind::Boolean:
      EXPECT_TRUE(number == 0 || number == -1);
      break;
    case Value::Kind::Empty:
    case Value::Kind::Text:
      EXPECT_EQ(number, 0);
      break;
  }
}

TEST(ExpressionFuzz, RandomAndMutatedExpressionsAreHandled) {
  std::mt19937 random(4242);
  ExpressionEvaluator evaluator;
  ExpressionEvaluator twin;  // fed the same inputs, so "rnd" stays in step
  for (int i = 0; i < 12000; ++i) {
    const int source = i % 3;
    const std::string expression = source == 0   ? RandomPieces(random)
                                   : source == 1 ? Mutated(random)
                                                 : RandomBytes(random);
    const FieldValueSlots original = RandomFields(random);
    FieldValueSlots fields = original;
    FieldValueSlots twinFields = original;
    const bool ok = evaluator.Evaluate(expression, fields, kResultSlot);
    const bool twinOk = twin.Evaluate(expression, twinFields, kResultSlot);

    SCOPED_TRACE(::testing::PrintToString(expression));
    ExpectPlausible(fields[kResultSlot]);
    EXPECT_EQ(ok, twinOk);
    EXPECT_EQ(fields[kResultSlot], twinFields[kResultSlot]);
    fields[kResultSlot] = original[kResultSlot];
    ASSERT_EQ(fields, original) << "only the result slot may change";
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace fenno
