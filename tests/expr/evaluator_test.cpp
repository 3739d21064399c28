#include "expr/evaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>
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
    SCOPED_TRACE(c.expression);
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
      {"7 \\ 2 * 3", {}, L(1)},
      {"7 mod 4 + 1", {}, D(4)},
      {"8-3-2", {}, D(3)},
      {"2 * 3 ^ 2", {}, D(18)},
      {"not 1 = 2 and 3", {}, L(3)},
      {"1 or 2 and 3", {}, L(3)},
      {"1 xor 3 or 4", {}, L(6)},
      {"0 imp 0 eqv 5", {}, L(-1)},
      {"1 < 2 < 3", {}, B(true)},
      {"1\t+\r\n2 ", {}, D(3)},
      {"1 AND 3 And 7 and 5", {}, L(1)},
      // Field texts as numbers and as text.
      {"field(1)+field(2)", {"12", "3"}, T("123")},
      {"field(1)*1+field(2)", {"12", "3"}, D(15)},
      {"field(1) + 1", {" 12\r"}, D(13)},
      {"field(1) * 2", {"&H10"}, D(32)},
      {"field(1) * 2", {"12abc"}, kEmpty, false},
      {"field(1) * 2", {"12,5"}, kEmpty, false},
      {"field(1) * 2", {""}, kEmpty, false},
      {"field(3) * 2", {}, D(0)},  // an Empty field counts as 0
      {"field(3) + field(1)", {"ab"}, T("ab")},
      {"field(3) + field(4)", {}, kEmpty},
      {"1.5.7", {}, D(1.5)},
      // Comparisons.
      {"field(1) > 5", {"abc"}, kEmpty, false},
      {"5 < field(1)", {"abc"}, B(false)},  // text on the right is read like val: 0
      {"12 = field(1)", {"12 kg"}, B(true)},
      {"(field(1) <> 2) + (field(1) <= 2) * 2 + (field(1) >= 3) * 4", {"2"}, D(-2)},
      {"(1 = 1) = (2 = 2)", {}, B(true)},  // a Boolean on the right counts as -1
      {"rnd(-1) = rnd(0)", {}, B(true)},   // a Single on the right keeps its exact value
      // The hexadecimal prefix.
      {"&h field(1)", {"FFFF"}, D(65535)},
      {"&H field(1)", {"FFFFFFFF"}, D(-1)},
      {"&h field(1)", {"  1f kg"}, D(31)},
      {"&h field(1)", {"zz"}, D(0)},
      {"&h field(1)", {"123456789"}, kEmpty, false},
      {"&h 10", {}, kEmpty, false},
      {"&h(field(1))", {"A"}, D(10)},
      // Whole-number kinds.
      {"asc(field(1))", {"\xE9"}, I(233)},
      {"sgn(-5) + sgn(-5)", {}, I(-2)},
      {"asc(field(1)) * asc(field(1))", {"\xFF"}, L(65025)},
      {"asc(field(1)) * 1000", {"A"}, D(65000)},
      {"(65536 and 65536) * (65536 and 65536)", {}, D(4294967296.0)},
      {"-(-(asc(field(1)) * asc(field(1))) - asc(field(1)) * asc(field(1)))", {"\x80"}, L(32768)},
      {"-(asc(field(1)) * asc(field(1))) - asc(field(1)) * asc(field(1))", {"\x80"}, I(-32768)},
      {"sgn(1) \\ sgn(1)", {}, I(1)},
      {"-7 \\ 2", {}, L(-3)},
      {"-7 mod 2", {}, L(-1)},
      {"7 mod -2", {}, L(1)},
      {"2.5 \\ 1", {}, L(2)},
      {"3.5 \\ 1", {}, L(4)},
      {"-2.5 \\ 1", {}, L(-2)},
      {"6.5 mod 4", {}, L(2)},
      {"(1 = 1) and (2 = 2)", {}, B(true)},
      {"not sgn(1)", {}, I(-2)},
      {"not 0", {}, L(-1)},
      // Functions.
      {"abs(sgn(-1))", {}, I(1)},
      {"fix(-2.5)", {}, D(-2)},
      {"int(-2.5)", {}, D(-3)},
      {"int(1 = 1)", {}, I(-1)},
      {"cos(0) + sin(0) * 2 + tan(0) * 4 + exp(0) * 8 + log(1) * 16 + sqr(16) * 32", {}, D(137)},
      {"sgn(field(1))", {"-0.001"}, I(-1)},
      {"lcase(field(1))", {"AbC\xC4\xDE\xD7\xDF"}, T("abc\xE4\xFE\xD7\xDF")},
      {"ucase(field(1))", {"aBc\xE4\xFE\xF7\xFF\xB5"}, T("ABC\xC4\xDE\xF7\xFF\xB5")},
      {"ltrim(val(field(1)) * 2.54)", {"12.7"}, T("32.258")},
      {"ucase(1 = 1)", {}, T("TRUE")},
      {"ltrim(field(1))", {"  a  "}, T("a  ")},
      {"rtrim(field(1))", {"  a  "}, T("  a")},
      {"trim(field(1))", {"\t a \t"}, T("\t a \t")},
      {"trim(field(3))", {}, T("")},
      {"hex(-1)", {}, T("FFFFFFFF")},
      {"hex(sgn(-1))", {}, T("FFFF")},
      {"hex(2.5)", {}, T("2")},
      {"hex(3.5)", {}, T("4")},
      {"hex(-2147483648)", {}, T("80000000")},
      {"val(field(1))", {"  12.5kg"}, D(12.5)},
      {"val(field(1))", {"&hffff"}, D(-1)},
      {"val(1 = 1)", {}, D(0)},
      {"field(0)", {}, kEmpty},
      {"field(1.5)", {"a", "b"}, T("b")},
      {"field(2.5)", {"a", "b", "c"}, T("b")},
      {"field(\"1\")", {}, kEmpty, false},
  });
  FieldValueSlots fields;
  ASSERT_TRUE(ExpressionEvaluator().Evaluate("atn(1) * 4", fields, kResultSlot));
  EXPECT_DOUBLE_EQ(fields[kResultSlot].number(), std::numbers::pi);
}

// A failure leaves what was computed so far (a syntax fault) or Empty (a run-time fault).
TEST(ExpressionFailures, KeepTheValueSoFarOrGiveEmpty) {
  ExpectAll({
      {"1 + 10/0 * 3", {}, D(1), false},
      {"abs(-3) + sqr(-4)", {}, D(3), false},
      {"field(99)", {}, kEmpty, false},
      {"1/(2/0)", {}, kEmpty, false},
      {"foo(5)", {}, D(5), false},
      {"(1+2", {}, D(3), false},
      {"", {}, kEmpty, false},
      {"abs(3 4)", {}, D(3), false},
      {"field(-1)", {}, kEmpty, false},
      {"log(0)", {}, kEmpty, false},
      {"asc(field(1))", {""}, kEmpty, false},
      {"asc(field(3))", {}, kEmpty, false},
      {"5 \\ 0", {}, kEmpty, false},
      {"5 mod 0.4", {}, kEmpty, false},
      {"-field(1)", {"x"}, kEmpty, false},
      {"not field(1)", {"x"}, kEmpty, false},
      {"sin(field(1))", {"x"}, kEmpty, false},
      {"2 * (3 + 4 / 0) + 1", {}, D(6), false},  // the group yields 3 and stops the rest
      {"1 2", {}, D(1), false},
      {"1 +", {}, D(1), false},
      {"5 >> 2", {}, D(5), false},
      {"* 3", {}, kEmpty, false},
      {"\"12\"", {}, kEmpty, false},
      {"1 e308", {}, D(1), false},
      {"abs 3", {}, I(0), false},  // the 3 stands where "(" belongs; abs of nothing
      {"(1))", {}, D(1), false},
      {"1 == 1", {}, B(false), false},
      // Overflow fails instead of wrapping.
      {"10 ^ 400", {}, kEmpty, false},
      {"exp(1000)", {}, kEmpty, false},
      {"field(1) * 10", {"1e308"}, kEmpty, false},
      {std::string(400, '9'), {}, kEmpty, false},
      {"2147483648 \\ 1", {}, kEmpty, false},
      {"-2147483648 \\ -1", {}, kEmpty, false},
      {"4294967296 and 1", {}, kEmpty, false},
      {"hex(4294967296)", {}, kEmpty, false},
      {"(0 - 8) ^ 0.5", {}, kEmpty, false},
      {"0 ^ -1", {}, kEmpty, false},
      {"val(field(1))", {"1e999"}, kEmpty, false},
      {"0 ^ 0", {}, D(1)},
  });
  // Texts: adding a 1 MiB field to itself past the longest text fails.
  const std::string mebibyte(size_t{1} << 20, 'x');
  std::string sum = "field(1)";
  for (size_t i = 1; i < kMaxTextBytes >> 20; ++i) sum += "+field(1)";
  ExpectAll({{sum, {mebibyte, "y"}, T(std::string(kMaxTextBytes, 'x'))},
             {sum + "+field(2)", {mebibyte, "y"}, kEmpty, false}});
}

// The result replaces its slot even on failure; a slot outside the record is left alone.
TEST(ExpressionEvaluation, ResultSlot) {
  ExpressionEvaluator evaluator;
  FieldValueSlots fields = FieldsOf({"21", "old"});
  EXPECT_TRUE(evaluator.Evaluate("field(1) * 2", fields, 1));
  EXPECT_EQ(fields[1], D(42));
  EXPECT_FALSE(evaluator.Evaluate("10/0", fields, 2));
  EXPECT_EQ(fields[2], kEmpty);
  const FieldValueSlots before = fields;
  EXPECT_FALSE(evaluator.Evaluate("1", fields, -1));
  EXPECT_FALSE(evaluator.Evaluate("1", fields, kFieldSlots));
  EXPECT_EQ(fields, before);
}

std::string Repeated(std::string_view piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(ExpressionNesting, DepthLimitFailsCleanly) {
  constexpr int kLimit = ExpressionEvaluator::kMaxDepth - 1;  // the whole is one level
  ExpectAll({
      {Repeated("(", kLimit) + "1" + Repeated(")", kLimit), {}, D(1)},
      {Repeated("abs(", kLimit - 1) + "-1" + Repeated(")", kLimit - 1), {}, D(1)},
  });
  const std::vector<std::string> tooDeep = {
      Repeated("(", kLimit + 1) + "1" + Repeated(")", kLimit + 1),
      Repeated("1 imp 1 eqv 1 xor 1 or 1 and 1 = 1 + 1 mod 1 \\ 1 * 1 ^ (", 30),
      Repeated("-", 100000) + "1",
      Repeated("not ", 100000) + "1",
      Repeated("(", 100000),
      Repeated("&h ", 100000) + "field(1)",
      Repeated("abs(", 100000) + "1",
      Repeated("2^-", 100000) + "2",
  };
  ExpressionEvaluator evaluator;
  for (const std::string& expression : tooDeep) {
    SCOPED_TRACE(expression.substr(0, 20));
    FieldValueSlots fields;
    EXPECT_FALSE(evaluator.Evaluate(expression, fields, kResultSlot));
    EXPECT_EQ(fields[kResultSlot], kEmpty);
  }
}

TEST(ExpressionNesting, LongFlatExpressionsNeedNoDepth) {
  ExpectAll({
      {"1" + Repeated(" + 1", 100000), {}, D(100001)},
      {"field(1)" + Repeated("+field(1)", 999), {"ab"}, T(Repeated("ab", 1000))},
  });
}

std::vector<float> Draws(ExpressionEvaluator& evaluator, const std::vector<std::string>& calls) {
  std::vector<float> numbers;
  for (const std::string& call : calls) {
    FieldValueSlots fields;
    EXPECT_TRUE(evaluator.Evaluate(call, fields, kResultSlot)) << call;
    EXPECT_EQ(fields[kResultSlot].kind(), Value::Kind::Single) << call;
    numbers.push_back(static_cast<float>(fields[kResultSlot].number()));
  }
  return numbers;
}

TEST(RandomNumbers, ArgumentRulesDeterminismAndRange) {
  ExpressionEvaluator evaluator;
  const std::vector<float> n =
      Draws(evaluator, {"rnd(1)", "rnd(0)", "rnd(1)", "rnd(-3)", "rnd(5)", "rnd(-3)", "rnd(-4)"});
  EXPECT_EQ(n[1], n[0]);  // 0 repeats the previous number
  EXPECT_NE(n[2], n[1]);  // above 0 advances
  EXPECT_EQ(n[5], n[3]);  // the same negative argument gives the same number
  EXPECT_NE(n[4], n[3]);
  EXPECT_NE(n[6], n[3]);
  const std::vector<std::string> seeded = {"rnd(-3)", "rnd(1)", "rnd(1)"};
  EXPECT_EQ(Draws(evaluator, seeded), Draws(evaluator, seeded));

  const std::vector<std::string> calls(2000, "rnd(1)");
  ExpressionEvaluator first, second;
  const std::vector<float> numbers = Draws(first, calls);
  EXPECT_EQ(numbers, Draws(second, calls));
  const auto [smallest, largest] = std::minmax_element(numbers.begin(), numbers.end());
  EXPECT_GE(*smallest, 0.0f);
  EXPECT_LT(*smallest, 0.01f);
  EXPECT_GT(*largest, 0.99f);
  EXPECT_LT(*largest, 1.0f);
}

}  // namespace
}  // namespace fenno
