#include "expr/evaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "value_printer.h"

namespace fenno {
namespace {

constexpr int kResultSlot = 41;

constexpr auto D = &Value::Double;
constexpr auto I = &Value::Integer;
constexpr auto L = &Value::Long;
constexpr auto B = &Value::Boolean;
constexpr auto T = &Value::Text;
const Value kEmpty;

struct Case {
  std::string expression;
  std::vector<std::string> fields;  // texts of field(1), field(2), ...
  Value expected;
  bool ok = true;
};

FieldValueSlots FieldsOf(const std::vector<std::string>& texts) {
  FieldValueSlots fields;
  for (size_t i = 0; i < texts.size(); ++i) fields[i + 1] = Value::Text(texts[i]);
  return fields;
}

void ExpectAll(const std::vector<Case>& cases) {
  ExpressionEvaluator evaluator;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression.substr(0, 60));
    FieldValueSlots fields = FieldsOf(c.fields);
    EXPECT_EQ(evaluator.Evaluate(c.expression, fields, kResultSlot), c.ok);
    EXPECT_EQ(fields[kResultSlot], c.expected);
  }
}

// One table: operators, conversions of field texts, result kinds and functions.
TEST(Expression, OperatorsConversionsKindsAndFunctions) {
  ExpectAll({
      // Precedence and associativity.
      {"2^3^2", {}, D(64)},
      {"-2^2", {}, D(-4)},
      {"NOT 1 = 2 And 3", {}, L(3)},
      {"1 < 2 < 3", {}, B(true)},
      // Field texts as numbers and as text.
      {"field(1)+field(2)", {"12", "3"}, T("123")},
      {"field(1)*1+field(2)", {"12", "3"}, D(15)},
      {"field(1) * 2", {"&H10"}, D(32)},
      {"field(1) * 2", {"12abc"}, kEmpty, false},
      {"field(3) + field(1)", {"ab"}, T("ab")},  // an Empty field is "" or 0
      // Comparisons.
      {"field(1) > 5", {"abc"}, kEmpty, false},
      {"5 < field(1)", {"abc"}, B(false)},  // text on the right is read like val: 0
      {"12 = field(1)", {"12 kg"}, B(true)},
      {"(field(1) <> 2) + (field(1) <= 2) * 2 + (field(1) >= 3) * 4", {"2"}, D(-2)},
      {"rnd(-1) = rnd(0)", {}, B(true)},  // a Single on the right keeps its exact value
      // The hexadecimal prefix.
      {"&h field(1)", {"FFFF"}, D(65535)},
      {"&H field(1)", {"FFFFFFFF"}, D(-1)},
      // Whole-number kinds.
      {"asc(field(1))", {"\xE9"}, I(233)},
      {"asc(field(1)) * asc(field(1))", {"\xFF"}, L(65025)},
      {"(65536 and 65536) * (65536 and 65536)", {}, D(4294967296.0)},
      {"-(-(asc(field(1)) * asc(field(1))) - asc(field(1)) * asc(field(1)))", {"\x80"}, L(32768)},
      {"-(asc(field(1)) * asc(field(1))) - asc(field(1)) * asc(field(1))", {"\x80"}, I(-32768)},
      {"-7 \\ 2", {}, L(-3)},
      {"-7 mod 2", {}, L(-1)},
      {"not sgn(1)", {}, I(-2)},
      // Functions.
      {"int(-2.5)", {}, D(-3)},
      {"cos(0) + sin(0) * 2 + tan(0) * 4 + exp(0) * 8 + log(1) * 16 + sqr(16) * 32", {}, D(137)},
      {"sgn(field(1))", {"-0.001"}, I(-1)},
      {"lcase(field(1))", {"AbC\xC4\xDE\xD7\xDF"}, T("abc\xE4\xFE\xD7\xDF")},
      {"ucase(field(1))", {"aBc\xE4\xFE\xF7\xFF\xB5"}, T("ABC\xC4\xDE\xF7\xFF\xB5")},
      {"ltrim(val(field(1)) * 2.54)", {"12.7"}, T("32.258")},
      {"trim(field(1))", {"\t a \t"}, T("\t a \t")},
      {"hex(-1)", {}, T("FFFFFFFF")},
      {"field(1.5)", {"a", "b"}, T("b")},
      {"int(atn(1) * 4000000)", {}, D(3141592)},
  });
}

// A failure leaves what was computed so far (a syntax fault) or Empty (a run-time fault).
TEST(ExpressionFailures, KeepTheValueSoFarOrGiveEmpty) {
  ExpectAll({
      {"1 + 10/0 * 3", {}, D(1), false},
      {"field(99)", {}, kEmpty, false},
      {"foo(5)", {}, D(5), false},
      {"", {}, kEmpty, false},
      {"5 mod 0.4", {}, kEmpty, false},
      {"abs 3", {}, I(0), false},  // the 3 stands where "(" belongs; abs of nothing
      // Overflow fails instead of wrapping.
      {"10 ^ 400", {}, kEmpty, false},
      {"field(1) * 10", {"1e308"}, kEmpty, false},
      {"2147483648 \\ 1", {}, kEmpty, false},
      {"0 ^ -1", {}, kEmpty, false},
      {"0 ^ 0", {}, D(1)},
  });
}

// The result replaces its slot even on failure; a slot outside the record is refused.
TEST(ExpressionEvaluation, ResultSlot) {
  ExpressionEvaluator evaluator;
  FieldValueSlots fields = FieldsOf({"21", "old"});
  EXPECT_TRUE(evaluator.Evaluate("field(1) * 2", fields, 1));
  EXPECT_EQ(fields[1], D(42));
  EXPECT_FALSE(evaluator.Evaluate("10/0", fields, 2));
  EXPECT_EQ(fields[2], kEmpty);
  EXPECT_FALSE(evaluator.Evaluate("1", fields, -1));
  EXPECT_FALSE(evaluator.Evaluate("1", fields, kFieldSlots));
}

std::string Repeated(std::string_view piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

// Nesting deeper than the limit fails cleanly along every path that recurses; long flat
// expressions need no depth.
TEST(ExpressionNesting, DepthLimitFailsCleanly) {
  constexpr int kLimit = ExpressionEvaluator::kMaxDepth - 1;  // the whole is one level
  ExpectAll({
      {Repeated("(", kLimit) + "1" + Repeated(")", kLimit), {}, D(1)},
      {Repeated("abs(", kLimit - 1) + "-1" + Repeated(")", kLimit - 1), {}, D(1)},
      {Repeated("(", kLimit + 1) + "1" + Repeated(")", kLimit + 1), {}, kEmpty, false},
      {Repeated("1 imp 1 eqv 1 xor 1 or 1 and 1 = 1 + 1 mod 1 \\ 1 * 1 ^ (", 30),
       {},
       kEmpty,
       false},
      {Repeated("-", 100000) + "1", {}, kEmpty, false},
      {Repeated("not ", 100000) + "1", {}, kEmpty, false},
      {Repeated("&h ", 100000) + "field(1)", {}, kEmpty, false},
      {Repeated("abs(", 100000) + "1", {}, kEmpty, false},
      {Repeated("2^-", 100000) + "2", {}, kEmpty, false},
      {"1" + Repeated(" + 1", 100000), {}, D(100001)},
      {"field(1)" + Repeated("+field(1)", 999), {"ab"}, T(Repeated("ab", 1000))},
  });
}

// 0 repeats the previous number, above 0 advances, and a negative argument seeds: the same
// one gives the same number and the same sequence after it. The numbers lie in [0, 1).
TEST(RandomNumbers, ArgumentRulesDeterminismAndRange) {
  ExpressionEvaluator evaluator;
  const auto draw = [&](const char* call) {
    FieldValueSlots fields;
    EXPECT_TRUE(evaluator.Evaluate(call, fields, kResultSlot));
    EXPECT_EQ(fields[kResultSlot].kind(), Value::Kind::Single);
    return static_cast<float>(fields[kResultSlot].number());
  };
  const float first = draw("rnd(1)");
  EXPECT_EQ(draw("rnd(0)"), first);
  EXPECT_NE(draw("rnd(1)"), first);
  const float seeded = draw("rnd(-3)");
  const float next = draw("rnd(5)");
  EXPECT_EQ(draw("rnd(-3)"), seeded);
  EXPECT_EQ(draw("rnd(1)"), next);
  EXPECT_NE(draw("rnd(-4)"), seeded);
  float smallest = 1, largest = 0;
  for (int i = 0; i < 2000; ++i) {
    const float number = draw("rnd(1)");
    smallest = std::min(smallest, number);
    largest = std::max(largest, number);
  }
  EXPECT_GE(smallest, 0.0f);
  EXPECT_LT(smallest, 0.01f);
  EXPECT_GT(largest, 0.99f);
  EXPECT_LT(largest, 1.0f);
}

}  // namespace
}  // namespace fenno
