#include "expr/value.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <string>

#include "expr/number_text.h"
#include "value_printer.h"

namespace fenno {
namespace {

struct ValCase {
  std::string_view text;
  double expected;
};

// Val reads the number a text begins with, 0 when there is none; "&H" and "&O" numbers of
// up to 4 hex or 6 octal digits are 16-bit.
TEST(ValReading, LeadingNumbersAndPrefixes) {
  const ValCase decimal[] = {
      {"  12.5kg", 12.5}, {"\t\r\n7", 7}, {"-4", -4},     {"- 3", 0},    {".5", 0.5},
      {"1.2.3", 1.2},     {"12 34", 12},  {"1E-2", 0.01}, {"1d2", 100},  {"2e+", 2},
      {"3ex", 3},         {"abc", 0},     {"", 0},        {"1e-400", 0},
  };
  const ValCase prefixed[] = {{"&hff", 255},      {" &H1F kg", 31},    {"&HFFFF", -1},
                              {"&H8000", -32768}, {"&H10000", 65536},  {"&H0FFFF", 65535},
                              {"&HFFFF&", 65535}, {"&HFFFFFFFF", -1},  {"&O17", 15},
                              {"&o177777", -1},   {"&O277777", 98303}, {"&O18", 1},
                              {"&H", 0},          {"&X1", 0},          {"-&H10", 0}};
  for (const auto& cases : {std::span<const ValCase>(decimal), std::span<const ValCase>(prefixed)})
    for (const ValCase& c : cases) EXPECT_EQ(Val(c.text), c.expected) << c.text;
  for (const std::string_view text : {"1e400", "-1e400", "&H123456789", "&O77777777777"}) {
    EXPECT_EQ(ValChecked(text), std::nullopt) << text;
    EXPECT_EQ(Val(text), 0) << text;
  }
  EXPECT_EQ(ValChecked(std::string(400, '9')), std::nullopt);
  EXPECT_EQ(ValChecked("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(ValChecked("&H00000000012"), 18.0);  // leading zeros do not overflow
  EXPECT_FALSE(std::signbit(Val("-0")));
}

TEST(NumericText, WholeTextMustBeOneNumber) {
  const struct {
    std::string_view text;
    std::optional<double> expected;
  } cases[] = {
      {" 12 ", 12},          {"12\r", 12},           {"-4.5", -4.5},        {"+.5", 0.5},
      {"1e3", 1000},         {"&H1F", 31},           {"&HFFFF", -1},        {"12kg", std::nullopt},
      {"", std::nullopt},    {"  ", std::nullopt},   {"-", std::nullopt},   {".", std::nullopt},
      {"1,5", std::nullopt}, {"0x1F", std::nullopt}, {"1 2", std::nullopt}, {"1e400", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberFromText(c.text), c.expected) << c.text;
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  const struct {
    double input;
    std::optional<int32_t> asLong;
    std::optional<int16_t> asInteger;
  } cases[] = {{2.5, 2, 2},
               {3.5, 4, 4},
               {32767.5, 32768, std::nullopt},
               {-32768.5, -32768, -32768},
               {2147483647.5, std::nullopt, std::nullopt},
               {-2147483648.5, -2147483648, std::nullopt},
               {std::numeric_limits<double>::quiet_NaN(), std::nullopt, std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(RoundToLong(c.input), c.asLong) << c.input;
    EXPECT_EQ(RoundToInteger(c.input), c.asInteger) << c.input;
  }
}

TEST(NumberTextForm, FifteenSignificantDigitsWithExponentOnlyAtTheExtremes) {
  const struct {
    double number;
    std::string_view text;
  } cases[] = {{1.0 / 3, "0.333333333333333"},
               {123456789012345.6, "123456789012346"},
               {999999999999999.9, "1E+15"},
               {-1.5e20, "-1.5E+20"},
               {0.00001, "1E-05"},
               {5e-324, "4.94065645841247E-324"}};
  for (const auto& c : cases) EXPECT_EQ(DoubleToText(c.number), c.text) << c.text;
  // The formatter's general number shows the same digits with the regional separator.
  std::string general;
  AppendDoubleText(general, 1.0 / 3, ',');
  EXPECT_EQ(general, "0,333333333333333");
  // A Single shows the shortest digits that give it back.
  EXPECT_EQ(SingleToText(0.7055475f), "0.7055475");
  EXPECT_EQ(SingleToText(0.1f), "0.1");
}

// The text of any Double reads back to a number with the same text.
TEST(NumberTextForm, EveryTextReadsBackToTheSameText) {
  std::mt19937_64 bits(20240611);
  for (int i = 0; i < 20000; ++i) {
    const double number = std::bit_cast<double>(bits());
    if (!std::isfinite(number)) continue;
    const std::string text = DoubleToText(number);
    const std::optional<double> back = NumberFromText(text);
    ASSERT_TRUE(back.has_value()) << text;
    ASSERT_EQ(DoubleToText(*back), text);
  }
}

// A Boolean counts as -1; a text is a number only when it is one as a whole. Appending
// bytes makes text of any value, and taking the text leaves Empty.
TEST(ValueKinds, TextAndNumberForms) {
  EXPECT_EQ(Value::Boolean(true).ToText(), "True");
  EXPECT_EQ(Value::Boolean(true).ToNumber(), -1.0);
  EXPECT_EQ(Value::Long(-2147483647 - 1).ToText(), "-2147483648");
  EXPECT_EQ(Value::Single(0.25f).ToText(), "0.25");
  EXPECT_EQ(Value().ToNumber(), 0.0);
  EXPECT_EQ(Value::Text(" 7 ").ToNumber(), 7.0);
  EXPECT_EQ(Value::Text("7 kg").ToNumber(), std::nullopt);

  Value value = Value::Double(12.5);
  value.AppendText(std::string_view("\0\r\n", 3));
  EXPECT_EQ(value, Value::Text(std::string("12.5\0\r\n", 7)));
  EXPECT_EQ(value.TakeText(), std::string("12.5\0\r\n", 7));
  EXPECT_EQ(value, Value());
}

}  // namespace
}  // namespace fenno
