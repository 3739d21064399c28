#include "engine/formatter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "engine/field_completion.h"
#include "engine/format_date.h"
#include "expr/value_printer.h"

namespace fenno {
namespace {

// Switches the process's C library locale for the lifetime of the object.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : saved_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  bool Active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

enum class Region { English, German };

RegionalSettings SettingsFor(Region region) {
  if (region == Region::English) return RegionalSettings::English();
  const ScopedLocale german("de_DE.UTF-8");
  if (!german.Active()) ADD_FAILURE() << "locale de_DE.UTF-8 is not installed";
  return RegionalSettings::FromCurrentLocale();
}

const RegionalSettings& English() {
  static const RegionalSettings settings = SettingsFor(Region::English);
  return settings;
}
const RegionalSettings& German() {
  static const RegionalSettings settings = SettingsFor(Region::German);
  return settings;
}
const RegionalSettings& RegionalFor(Region region) {
  return region == Region::English ? English() : German();
}

struct NumberCase {
  double value;
  const char* pattern;
  Region region;
  const char* expected;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
  *os << c.value << " with \"" << c.pattern << "\"" << (c.region == Region::German ? " (de)" : "");
}

class FormatNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumberTest, GivesExpectedText) {
  const NumberCase& c = GetParam();
  EXPECT_EQ(FormatNumber(c.value, c.pattern, RegionalFor(c.region)), c.expected);
}

constexpr Region kEn = Region::English;
constexpr Region kDe = Region::German;

INSTANTIATE_TEST_SUITE_P(NamedFormats, FormatNumberTest,
                         ::testing::Values(NumberCase{1234.567, "General Number", kEn, "1234.567"},
                                           NumberCase{1234.567, "Currency", kEn, "$1,234.57"},
                                           NumberCase{1234.567, "Fixed", kEn, "1234.57"},
                                           NumberCase{1234.567, "Standard", kEn, "1,234.57"},
                                           NumberCase{1234.567, "Percent", kEn, "123456.70%"},
                                           NumberCase{1234.567, "Scientific", kEn, "1.23E+03"},
                                           NumberCase{1234.567, "GENERAL NUMBER", kEn, "1234.567"},
                                           NumberCase{3, "Fixed", kEn, "3.00"},
                                           NumberCase{-1234.567, "Currency", kEn, "-$1,234.57"},
                                           NumberCase{-0.001, "Currency", kEn, "$0.00"},
                                           NumberCase{0.005, "Currency", kEn, "$0.01"},
                                           NumberCase{1234.567, "General Number", kDe, "1234,567"},
                                           NumberCase{1234.567, "Standard", kDe, "1.234,57"},
                                           NumberCase{1234.567, "Currency", kDe, "1.234,57 €"},
                                           NumberCase{-1234.567, "Currency", kDe, "-1.234,57 €"},
                                           NumberCase{1234.567, "Scientific", kDe, "1,23E+03"}));

INSTANTIATE_TEST_SUITE_P(
    GeneralForm, FormatNumberTest,
    ::testing::Values(
        NumberCase{0, "", kEn, "0"}, NumberCase{-0.0, "", kEn, "0"},
        NumberCase{-2.5, "", kEn, "-2.5"}, NumberCase{0.1 + 0.2, "", kEn, "0.3"},
        NumberCase{0.0001, "", kEn, "0.0001"}, NumberCase{0.00001234, "", kEn, "1.234E-05"},
        NumberCase{123456789012345, "", kEn, "123456789012345"}, NumberCase{1e15, "", kEn, "1E+15"},
        NumberCase{1234567890123456789.0, "", kEn, "1.23456789012346E+18"},
        NumberCase{1.7976931348623157e308, "", kEn, "1.79769313486232E+308"},
        NumberCase{5e-324, "", kEn, "4.94065645841247E-324"}, NumberCase{-0.5, "", kDe, "-0,5"}));

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatNumberTest,
    ::testing::Values(
        NumberCase{-1234.5, "#,##0.00", kEn, "-1,234.50"},
        NumberCase{-1234.5, "0.00;(0.00)", kEn, "(1234.50)"}, NumberCase{0.256, "0%", kEn, "26%"},
        NumberCase{1234.5, "0.00E+00", kEn, "1.23E+03"}, NumberCase{7, "000", kEn, "007"},
        NumberCase{1234567, "0", kEn, "1234567"}, NumberCase{1234567, "#,##0", kEn, "1,234,567"},
        NumberCase{12, "0,000", kEn, "0,012"}, NumberCase{0.5, "#.##", kEn, ".5"},
        NumberCase{0, "#", kEn, ""}, NumberCase{0, "0.0#", kEn, "0.0"},
        NumberCase{1.25, "0.0#", kEn, "1.25"}, NumberCase{1.5, "0.0#", kEn, "1.5"},
        NumberCase{5, "0.##", kEn, "5."}, NumberCase{1234567, "0-00-00", kEn, "123-45-67"},
        NumberCase{1234, "##-##-##", kEn, "-12-34"}, NumberCase{1234567, "#,##0,", kEn, "1,235"},
        NumberCase{1234567890, "0.0,,", kEn, "1234.6"},
        NumberCase{2500000, "0,, \"M\"", kEn, "3 M"}, NumberCase{0.5, "0%%", kEn, "5000%%"},
        NumberCase{12.5, "0.0 \"kg\"", kEn, "12.5 kg"},
        NumberCase{12.5, "\\$0.00\\!", kEn, "$12.50!"},
        NumberCase{-12.5, "$ 0.00 (+)", kEn, "-$ 12.50 (+)"},
        NumberCase{12.5, "0.00;0.00-", kDe, "12,50"},
        NumberCase{-12.5, "0.00;0.00-", kDe, "12,50-"},
        NumberCase{1234.5, "#,##0.00", kDe, "1.234,50"},
        NumberCase{1234.5, "0.00 \"a;b\"", kEn, "1234.50 a;b"}));

INSTANTIATE_TEST_SUITE_P(Sections, FormatNumberTest,
                         ::testing::Values(NumberCase{5, "0;(0);\\z\\e\\r\\o", kEn, "5"},
                                           NumberCase{-5, "0;(0);\\z\\e\\r\\o", kEn, "(5)"},
                                           NumberCase{0, "0;(0);\\z\\e\\r\\o", kEn, "zero"},
                                           NumberCase{-0.0, "0;(0);\\z\\e\\r\\o", kEn, "zero"},
                                           NumberCase{-5, "0.0;;\\z", kEn, "-5.0"},
                                           NumberCase{0, "0.0;(0.0);", kEn, "0.0"},
                                           NumberCase{-5, "0.0;", kEn, "-5.0"},
                                           NumberCase{-5, "0;(0);z;ignored;ignored", kEn, "(5)"},
                                           NumberCase{1234.5, ";(0)", kEn, "1234.5"},
                                           NumberCase{-1234.5, ";", kDe, "-1234,5"},
                                           NumberCase{0, ";;", kEn, "0"},
                                           NumberCase{-5, "\"plus\";\"minus\"", kEn, "minus"},
                                           NumberCase{-5, "\"n/a\"", kEn, "n/a"},
                                           // The zero section goes by the value, not by
                                           // what it rounds to.
                                           NumberCase{0.001, "0;(0);\"z\"", kEn, "0"},
                                           NumberCase{0, "0.0;;\"z\"", kEn, "z"},
                                           NumberCase{0, "#;#;0.00", kDe, "0,00"}));

// A negative value whose digits round to zero is shown as the positive section shows zero.
INSTANTIATE_TEST_SUITE_P(
    NegativeRoundingToZero, FormatNumberTest,
    ::testing::Values(NumberCase{-0.001, "0.00", kEn, "0.00"},
                      NumberCase{-0.001, "0.00;(0.00)", kEn, "0.00"},
                      NumberCase{-0.001, "0.00;(0.00);\\z\\e\\r\\o", kEn, "0.00"},
                      NumberCase{-0.001, "0.000;(0)", kEn, "0.000"}, NumberCase{-0.4, "#", kEn, ""},
                      NumberCase{-0.001, "0%", kEn, "0%"}, NumberCase{-0.005, "0.00", kEn, "-0.01"},
                      NumberCase{-1e-300, "0.00E+00", kEn, "-1.00E-300"}));

// Halves go away from zero on the value's 15-digit decimal form.
INSTANTIATE_TEST_SUITE_P(
    Rounding, FormatNumberTest,
    ::testing::Values(
        NumberCase{2.5, "0", kEn, "3"}, NumberCase{3.5, "0", kEn, "4"},
        NumberCase{-2.5, "0", kEn, "-3"}, NumberCase{0.125, "0.00", kEn, "0.13"},
        NumberCase{1.005, "0.00", kEn, "1.01"}, NumberCase{1.015, "0.00", kEn, "1.02"},
        NumberCase{0.285, "0.00", kEn, "0.29"}, NumberCase{2.675, "0.00", kEn, "2.68"},
        NumberCase{1.0049999999, "0.00", kEn, "1.00"}, NumberCase{9.995, "0.00", kEn, "10.00"},
        NumberCase{99.5, "#,##0", kEn, "100"}, NumberCase{999999.5, "#,##0", kEn, "1,000,000"},
        NumberCase{0.05, "0.0", kEn, "0.1"}, NumberCase{9.96, "0.0E+00", kEn, "1.0E+01"},
        NumberCase{0.000123456, "0.00E-00", kEn, "1.23E-04"}));

INSTANTIATE_TEST_SUITE_P(Exponents, FormatNumberTest,
                         ::testing::Values(NumberCase{1234.5, "0.00e+00", kEn, "1.23e+03"},
                                           NumberCase{1234.5, "0.00E-00", kEn, "1.23E03"},
                                           NumberCase{0.0012345, "0.00E-00", kEn, "1.23E-03"},
                                           NumberCase{0, "0.00E+00", kEn, "0.00E+00"},
                                           NumberCase{-1234.5, "0.0E+0", kEn, "-1.2E+3"},
                                           NumberCase{1234.5, "00.0E+00", kEn, "12.3E+02"},
                                           NumberCase{1234.5, ".00E+00", kEn, ".12E+04"},
                                           NumberCase{1e308, "0.00E+00", kEn, "1.00E+308"},
                                           NumberCase{1.5e-308, "0.0E+0", kEn, "1.5E-308"},
                                           NumberCase{1234.5, "0E+", kEn, "1235E+"}));

// Magnitudes at the ends of the double range: every integer digit appears, beyond the 15
// significant ones as zeros.
INSTANTIATE_TEST_SUITE_P(
    Extremes, FormatNumberTest,
    ::testing::Values(NumberCase{1e20, "0", kEn, "100000000000000000000"},
                      NumberCase{123456789012345678.0, "#,##0", kEn, "123,456,789,012,346,000"},
                      NumberCase{1e-20, "0.00", kEn, "0.00"},
                      NumberCase{1e-20, "0.0000000000000000000000", kEn,
                                 "0.0000000000000000000100"},
                      NumberCase{1.23456789e-5, "0.000000000", kEn, "0.000012346"}));

TEST(FormatNumber, HugeValueWithGroupingKeepsEveryDigit) {
  const std::optional<std::string> text = FormatNumber(1e308, "#,##0", English());
  ASSERT_TRUE(text);
  EXPECT_EQ(text->size(), 309u + 102u);
  EXPECT_EQ(text->substr(0, 8), "100,000,");
  EXPECT_EQ(FormatNumber(-1.7976931348623157e308, "#,##0", English())->substr(0, 9), "-179,769,");
}

TEST(FormatNumber, RefusesWhatItCannotShow) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const char* pattern : {"", "0.00", "Fixed", "General Number", "Currency", "yyyy"}) {
    EXPECT_EQ(FormatNumber(nan, pattern, English()), std::nullopt) << pattern;
    EXPECT_EQ(FormatNumber(inf, pattern, English()), std::nullopt) << pattern;
    EXPECT_EQ(FormatNumber(-inf, pattern, English()), std::nullopt) << pattern;
  }
  EXPECT_EQ(FormatNumber(1, "0 \"kg", English()), std::nullopt);
  EXPECT_EQ(FormatNumber(1, "0\\", English()), std::nullopt);
  EXPECT_EQ(FormatNumber(1, std::string(70000, '0'), English()), std::nullopt);
  // As a date serial the number lies outside the years 100 to 9999.
  EXPECT_EQ(FormatNumber(3e6, "yyyy", English()), std::nullopt);
  EXPECT_EQ(FormatNumber(-7e5, "yyyy", English()), std::nullopt);
}

TEST(FormatNumber, LongPatternsStayBounded) {
  const std::string zeros(10000, '0');
  EXPECT_EQ(FormatNumber(7, zeros, English()), std::string(9999, '0') + "7");
  const std::string fraction = "0." + zeros;
  EXPECT_EQ(FormatNumber(0.5, fraction, English())->size(), 10002u);
  const std::optional<std::string> percents =
      FormatNumber(1, "0" + std::string(10000, '%'), English());
  ASSERT_TRUE(percents);
  EXPECT_EQ(percents->size(), 1u + 20000u + 10000u);
  const std::optional<std::string> scaled =
      FormatNumber(1e308, "0" + std::string(10000, ','), English());
  EXPECT_EQ(scaled, "0");
  EXPECT_EQ(FormatNumber(1e308, "0.0E+" + zeros, English())->size(), 3u + 2u + 10000u);
  const LocalDateTime moment{2026, 1, 5, 15, 4, 9, 0};
  EXPECT_EQ(FormatDateTime(moment, std::string(60000, 'd'), English())->size(), 10000u * 23u);
  EXPECT_EQ(FormatDateTime(moment, std::string(60002, 't'), English())->size(), 12000u * 10u + 2u);
  EXPECT_EQ(FormatDateTime(moment, std::string(65536, 'c'), English()), std::nullopt);
}

struct TextCase {
  const char* text;
  const char* pattern;
  Region region;
  const char* expected;
};

class FormatTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(FormatTextTest, GivesExpectedText) {
  const TextCase& c = GetParam();
  EXPECT_EQ(FormatText(c.text, c.pattern, RegionalFor(c.region)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FormatTextTest,
    ::testing::Values(
        TextCase{"3", "Fixed", kEn, "3.00"}, TextCase{"abc", "Fixed", kEn, "abc"},
        TextCase{"", "Fixed", kEn, ""}, TextCase{"  -12.5 ", "0.00", kEn, "-12.50"},
        TextCase{"12.5\r\n", "0.00", kEn, "12.50"},
        TextCase{"+1,234,567.5", "Standard", kEn, "1,234,567.50"},
        TextCase{"1.5E-3", "0.0000", kEn, "0.0015"}, TextCase{".5", "0.00", kEn, "0.50"},
        TextCase{"5.", "0.00", kEn, "5.00"}, TextCase{"12.5 kg", "0.00", kEn, "12.5 kg"},
        TextCase{"1,5", "0.00", kEn, "1,5"}, TextCase{"12,34", "0.00", kEn, "12,34"},
        TextCase{"1234,567", "0.00", kEn, "1234,567"}, TextCase{",123", "0.00", kEn, ",123"},
        TextCase{"1e999", "0.00", kEn, "1e999"}, TextCase{"-", "0.00", kEn, "-"},
        TextCase{".", "0.00", kEn, "."}, TextCase{"1E", "0.00", kEn, "1E"},
        TextCase{"&H1F", "0.00", kEn, "&H1F"}, TextCase{"0012", "", kEn, "0012"},
        TextCase{"1.234,5", "Fixed", kDe, "1234,50"}, TextCase{"-12,5", "Standard", kDe, "-12,50"},
        TextCase{"12.5", "Fixed", kDe, "12.5"}, TextCase{"1234.567", "Fixed", kDe, "1234.567"}));

TEST(FormatText, BadPatternOnANumberFails) {
  EXPECT_EQ(FormatText("12", "0\"", English()), std::nullopt);
  EXPECT_EQ(FormatText("word", "0\"", English()), "word");
}

TEST(FormatBoolean, GeneralFormIsTrueFalseOtherwiseMinusOneAndZero) {
  EXPECT_EQ(FormatBoolean(true, "", English()), "True");
  EXPECT_EQ(FormatBoolean(false, "", German()), "False");
  EXPECT_EQ(FormatBoolean(true, "0", English()), "-1");
  EXPECT_EQ(FormatBoolean(false, "0.00", English()), "0.00");
  EXPECT_EQ(FormatBoolean(true, "Fixed", German()), "-1,00");
  EXPECT_EQ(FormatBoolean(true, "\"yes\";\"yes\";\"no\"", English()), "yes");
  EXPECT_EQ(FormatBoolean(false, "\"yes\";\"yes\";\"no\"", English()), "no");
}

struct DateCase {
  LocalDateTime moment;
  const char* pattern;
  Region region;
  const char* expected;
};

class FormatDateTimeTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(FormatDateTimeTest, GivesExpectedText) {
  const DateCase& c = GetParam();
  EXPECT_EQ(FormatDateTime(c.moment, c.pattern, RegionalFor(c.region)), c.expected);
}

// Monday 5 January 2026, 15:04:09.
constexpr LocalDateTime kMoment{2026, 1, 5, 15, 4, 9, 500};
constexpr LocalDateTime kMorning{2026, 12, 5, 0, 30, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Placeholders, FormatDateTimeTest,
    ::testing::Values(
        DateCase{kMoment, "d dd ddd dddd", kEn, "5 05 Mon Monday"},
        DateCase{kMoment, "ddddd", kEn, "1/5/2026"},
        DateCase{kMoment, "dddddd", kEn, "Monday, January 5, 2026"},
        DateCase{kMoment, "m mm mmm mmmm", kEn, "1 01 Jan January"},
        DateCase{kMoment, "w ww q y yy yyyy", kEn, "2 2 1 5 26 2026"},
        DateCase{kMoment, "h hh n nn s ss", kEn, "15 15 4 04 9 09"},
        DateCase{kMoment, "hh:mm:ss", kEn, "15:04:09"},
        DateCase{kMoment, "h \"h\" m", kEn, "15 h 4"},
        DateCase{kMoment, "mm/dd/yyyy hh:nn", kEn, "01/05/2026 15:04"},
        DateCase{kMoment, "MM/DD/YYYY HH:NN:SS", kEn, "01/05/2026 15:04:09"},
        DateCase{kMoment, "hh:nn AM/PM", kEn, "03:04 PM"},
        DateCase{kMoment, "h:nn am/pm", kEn, "3:04 pm"}, DateCase{kMoment, "h:nnA/P", kEn, "3:04P"},
        DateCase{kMoment, "h:nna/p", kEn, "3:04p"}, DateCase{kMoment, "h AMPM", kEn, "3 PM"},
        DateCase{kMorning, "h:nn AM/PM", kEn, "12:30 AM"},
        DateCase{kMorning, "hh:nn", kEn, "00:30"}, DateCase{kMoment, "ttttt", kEn, "3:04:09 PM"},
        DateCase{kMoment, "c", kEn, "1/5/2026 3:04:09 PM"},
        DateCase{kMoment, "", kEn, "1/5/2026 3:04:09 PM"},
        DateCase{kMorning, "", kEn, "12/5/2026 12:30:00 AM"},
        DateCase{LocalDateTime{2026, 12, 5, 0, 0, 0, 0}, "", kEn, "12/5/2026 12:00:00 AM"},
        DateCase{kMoment, "yyyy\\-mm\\-dd \"at\" hh", kEn, "2026-01-05 at 15"},
        DateCase{kMoment, "dd.mm.yyyy", kEn, "05.01.2026"},
        DateCase{kMoment, "dddddddd", kEn, "Monday, January 5, 202605"},
        DateCase{kMoment, "yyy", kEn, "265"}, DateCase{kMoment, "hh:nn:00", kEn, "15:04:00"},
        DateCase{kMoment, "yyyy 0.0", kEn, "2026 0.0"},
        DateCase{kMoment, "\\y0.0", kEn, "y46027.6"}, DateCase{kMoment, "Xtt", kEn, "Xtt"},
        DateCase{LocalDateTime{105, 3, 1, 0, 0, 0, 0}, "yyyy yy", kEn, "0105 05"}));

INSTANTIATE_TEST_SUITE_P(
    NamedFormats, FormatDateTimeTest,
    ::testing::Values(DateCase{kMoment, "General Date", kEn, "1/5/2026 3:04:09 PM"},
                      DateCase{kMoment, "Long Date", kEn, "Monday, January 5, 2026"},
                      DateCase{kMoment, "Medium Date", kEn, "05-Jan-26"},
                      DateCase{kMoment, "Short Date", kEn, "1/5/2026"},
                      DateCase{kMoment, "long time", kEn, "3:04:09 PM"},
                      DateCase{kMoment, "Medium Time", kEn, "03:04 PM"},
                      DateCase{kMoment, "Short Time", kEn, "15:04"},
                      DateCase{kMoment, "General Number", kEn, "46027.6278819444"},
                      DateCase{kMoment, "Fixed", kEn, "46027.63"},
                      DateCase{kMoment, "0", kEn, "46028"}));

INSTANTIATE_TEST_SUITE_P(
    German, FormatDateTimeTest,
    ::testing::Values(DateCase{kMoment, "", kDe, "05.01.2026 15:04:09"},
                      DateCase{kMoment, "dd/mm/yyyy hh:nn", kDe, "05.01.2026 15:04"},
                      DateCase{LocalDateTime{2026, 3, 1, 0, 0, 0, 0}, "dddd, d. mmmm yyyy", kDe,
                               "Sonntag, 1. März 2026"},
                      DateCase{kMoment, "ddd mmm", kDe, "Mo Jan"},
                      DateCase{kMoment, "Long Date", kDe, "Montag, 5. Januar 2026"},
                      DateCase{kMoment, "Medium Time", kDe, "03:04 PM"},
                      DateCase{kMoment, "h AMPM", kDe, "3 PM"}));

// Sunday starts the week and the week holding 1 January is week 1.
INSTANTIATE_TEST_SUITE_P(
    WeeksAndYearEnds, FormatDateTimeTest,
    ::testing::Values(
        DateCase{LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, "w ww y", kEn, "5 1 1"},
        DateCase{LocalDateTime{2026, 1, 3, 0, 0, 0, 0}, "w ww", kEn, "7 1"},
        DateCase{LocalDateTime{2026, 1, 4, 0, 0, 0, 0}, "w ww", kEn, "1 2"},
        DateCase{LocalDateTime{2026, 12, 31, 0, 0, 0, 0}, "ww y q", kEn, "53 365 4"},
        DateCase{LocalDateTime{2022, 1, 1, 0, 0, 0, 0}, "ddd ww", kEn, "Sat 1"},
        DateCase{LocalDateTime{2022, 1, 2, 0, 0, 0, 0}, "ddd ww", kEn, "Sun 2"},
        DateCase{LocalDateTime{2000, 12, 30, 0, 0, 0, 0}, "ddd ww y", kEn, "Sat 53 365"},
        DateCase{LocalDateTime{2028, 12, 31, 0, 0, 0, 0}, "ddd ww y", kEn, "Sun 54 366"},
        DateCase{LocalDateTime{2023, 12, 31, 23, 59, 59, 999}, "yyyy-mm-dd hh:nn:ss ww", kEn,
                 "2023-12-31 23:59:59 53"},
        DateCase{LocalDateTime{2024, 2, 29, 0, 0, 0, 0}, "y ww", kEn, "60 9"},
        DateCase{LocalDateTime{1900, 3, 1, 0, 0, 0, 0}, "ddd y", kEn, "Thu 60"}));

TEST(FormatDateTime, RefusesMomentsThatAreNoDates) {
  for (const LocalDateTime& bad :
       {LocalDateTime{2026, 2, 29, 0, 0, 0, 0}, LocalDateTime{2026, 13, 1, 0, 0, 0, 0},
        LocalDateTime{2026, 0, 1, 0, 0, 0, 0}, LocalDateTime{2026, 1, 1, 24, 0, 0, 0},
        LocalDateTime{2026, 1, 1, 0, 60, 0, 0}, LocalDateTime{0, 1, 1, 0, 0, 0, 0},
        LocalDateTime{10000, 1, 1, 0, 0, 0, 0}})
    EXPECT_EQ(FormatDateTime(bad, "yyyy", English()), std::nullopt) << bad.year;
  EXPECT_EQ(FormatDateTime(kMoment, "yyyy\"", English()), std::nullopt);
}

// Numbers used with date patterns stand for date serials (days since 30 December 1899).
INSTANTIATE_TEST_SUITE_P(
    SerialNumbers, FormatNumberTest,
    ::testing::Values(NumberCase{0, "yyyy-mm-dd hh:nn:ss", kEn, "1899-12-30 00:00:00"},
                      NumberCase{46027.5, "yyyy-mm-dd hh:nn:ss", kEn, "2026-01-05 12:00:00"},
                      NumberCase{-1.25, "yyyy-mm-dd hh:nn", kEn, "1899-12-29 06:00"},
                      NumberCase{0.99999999, "yyyy-mm-dd hh:nn:ss", kEn, "1899-12-31 00:00:00"},
                      NumberCase{0.75, "", kEn, "0.75"},
                      NumberCase{0.75, "General Date", kEn, "6:00:00 PM"},
                      NumberCase{2, "c", kEn, "1/1/1900 12:00:00 AM"},
                      NumberCase{2, "0 m", kEn, "2 m"},
                      NumberCase{60, "Short Date", kDe, "28.02.1900"}));

TEST(DateSerial, RoundTripsAcrossTheWholeRange) {
  for (const LocalDateTime& moment :
       {LocalDateTime{100, 1, 1, 0, 0, 0, 0}, LocalDateTime{1899, 12, 29, 6, 0, 0, 0},
        LocalDateTime{1899, 12, 30, 23, 59, 59, 0}, LocalDateTime{2026, 1, 5, 15, 4, 9, 0},
        LocalDateTime{9999, 12, 31, 23, 59, 59, 0}}) {
    EXPECT_EQ(DateTimeFromSerial(SerialFromDateTime(moment)), moment) << moment.year;
  }
  EXPECT_EQ(SerialFromDateTime(LocalDateTime{1899, 12, 29, 6, 0, 0, 0}), -1.25);
  EXPECT_EQ(DateTimeFromSerial(2958466.0), std::nullopt);
  EXPECT_EQ(DateTimeFromSerial(std::nan("")), std::nullopt);
}

// The field filters "H" and "O": short numbers are 16-bit, longer ones 32-bit.
TEST(ConvertRadixField, ReadsHexAndOctalDigitsUpToTheFirstOther) {
  const struct {
    const char* text;
    int base;
    std::optional<Value> expected;
  } cases[] = {
      {" 1Fz", 16, Value::Integer(31)},  {"ffff", 16, Value::Integer(-1)},
      {"0FFFF", 16, Value::Long(65535)}, {"FFFFFFFF", 16, Value::Long(-1)},
      {"100000000", 16, std::nullopt},   {"", 16, Value::Integer(0)},
      {"778", 8, Value::Integer(63)},    {"177777", 8, Value::Integer(-1)},
      {"200000", 8, Value::Long(65536)}, {"37777777777", 8, Value::Long(-1)},
      {"40000000000", 8, std::nullopt},  {"kg", 8, Value::Integer(0)},
  };
  for (const auto& c : cases) {
    const std::optional<Value> value = ConvertRadixField(c.text, c.base);
    ASSERT_EQ(value.has_value(), c.expected.has_value()) << c.text;
    if (!value) continue;
    EXPECT_EQ(value->kind(), c.expected->kind()) << c.text;
    EXPECT_EQ(value->ToText(), c.expected->ToText()) << c.text;
  }
}

// A converted field then takes its format: zero, negative and positive sections.
TEST(FieldCompletion, ConvertsThenFormats) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  settings.FieldCount = 2;
  settings.FieldFilter[1] = "H";
  settings.FieldFilter[2] = "O";
  settings.FieldFormat[1] = settings.FieldFormat[2] = "0;(0);\"zero\"";
  WorkingValues working;
  FieldCompletion completion(settings, working, English());
  const std::pair<std::string, std::string> cases[] = {
      {"1F", "31"}, {"FFFE", "(2)"}, {"0000", "zero"}, {"777777777777", "777777777777"}};
  for (const auto& [text, expected] : cases) {
    FieldValueSlots values;
    values[1] = values[2] = Value::Text(text);
    completion.CompleteFields(values);
    EXPECT_EQ(values[1].ToText(), expected) << text;
  }
  FieldValueSlots values;
  values[2] = Value::Text("17");
  completion.CompleteFields(values);
  EXPECT_EQ(values[2].ToText(), "15");
}

// Settings read from the C library's locale: English reads like the fixed English set, the
// neutral locale falls back to it, Japanese has no currency decimals and puts the sign after
// the symbol.
TEST(RegionalSettings, ReadFromTheLocale) {
  const struct {
    const char* locale;
    const char* currency;
    const char* negativeCurrency;
    const char* date;
  } cases[] = {{"en_US.UTF-8", "$1,234.57", "-$1,234.57", "01/05/2026 03:04:09 PM"},
               {"C", "$1,234.57", "-$1,234.57", "1/5/2026 3:04:09 PM"},
               {"ja_JP.UTF-8", "￥1,235", "￥-1,235", "2026年01月05日 15時04分09秒"}};
  for (const auto& c : cases) {
    const ScopedLocale locale(c.locale);
    ASSERT_TRUE(locale.Active()) << c.locale;
    const RegionalSettings settings = RegionalSettings::FromCurrentLocale();
    EXPECT_EQ(FormatNumber(1234.567, "Currency", settings), c.currency) << c.locale;
    EXPECT_EQ(FormatNumber(-1234.567, "Currency", settings), c.negativeCurrency) << c.locale;
    EXPECT_EQ(FormatNumber(-1234.567, "Standard", settings), "-1,234.57") << c.locale;
    EXPECT_EQ(FormatDateTime(kMoment, "", settings), c.date) << c.locale;
  }
  const ScopedLocale english("en_US.UTF-8");
  const RegionalSettings settings = RegionalSettings::FromCurrentLocale();
  EXPECT_EQ(settings.monthNames, English().monthNames);
  EXPECT_EQ(settings.dayAbbreviations, English().dayAbbreviations);
}

TEST(RegionalSettings, DecimalSeparatorFollowsTheRegion) {
  EXPECT_EQ(DecimalSeparatorOf(English()), '.');
  EXPECT_EQ(DecimalSeparatorOf(German()), ',');
  RegionalSettings odd = English();
  odd.decimalSeparator = ',';
  odd.thousandsSeparator = " ";
  EXPECT_EQ(DecimalSeparatorOf(odd), ',');
  EXPECT_EQ(FormatText("1 234,5", "Standard", odd), "1 234,50");
}

TEST(RegionalSettings, CurrencyPlacementsFollowTheCLibraryRules) {
  struct Row {
    CurrencyPlacement placement;
    const char* expected;
  };
  const Row rows[] = {
      {{true, 0, 0}, "($1.50)"}, {{true, 0, 1}, "-$1.50"},   {{true, 1, 1}, "-$ 1.50"},
      {{true, 2, 1}, "- $1.50"}, {{false, 1, 1}, "-1.50 $"}, {{false, 0, 2}, "1.50$-"},
      {{true, 0, 2}, "$1.50-"},  {{true, 1, 3}, "-$ 1.50"},  {{false, 2, 3}, "1.50- $"},
      {{true, 2, 4}, "$ -1.50"}, {{false, 1, 4}, "1.50 $-"}, {{true, 1, 0}, "($ 1.50)"}};
  for (const Row& row : rows) {
    RegionalSettings settings = English();
    settings.negativeCurrency = row.placement;
    EXPECT_EQ(FormatNumber(-1.5, "Currency", settings), row.expected)
        << row.placement.symbolPrecedes << row.placement.separatedBySpace
        << row.placement.signPosition;
  }
}

TEST(RegionalSettings, StrftimeLayoutsBecomePatterns) {
  EXPECT_EQ(PatternFromStrftime("%m/%d/%Y", "/", '/'), "mm/dd/yyyy");
  EXPECT_EQ(PatternFromStrftime("%d.%m.%Y", ".", '/'), "dd/mm/yyyy");
  EXPECT_EQ(PatternFromStrftime("%I:%M:%S %p", ":", ':'), "hh:nn:ss AMPM");
  EXPECT_EQ(PatternFromStrftime("%-d. %B %Y %Z", "", '/'), "d\\. mmmm yyyy ");
  EXPECT_EQ(PatternFromStrftime("%e %b %%", "", '/'), "d mmm \\%");
}

}  // namespace
}  // namespace fenno
