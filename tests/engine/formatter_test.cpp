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

const RegionalSettings kEnglish = RegionalSettings::English();

const RegionalSettings& German() {
  static const RegionalSettings german = [] {
    const ScopedLocale locale("de_DE.UTF-8");
    EXPECT_TRUE(locale.Active()) << "locale de_DE.UTF-8 is not installed";
    return RegionalSettings::FromCurrentLocale();
  }();
  return german;
}

// A case's region: English unless it says German.
constexpr bool kDe = true;
const RegionalSettings& Region(bool german) {
  return german ? German() : kEnglish;
}

struct NumberCase {
  double value;
  const char* pattern;
  const char* expected;
  bool german = false;
};

TEST(FormatNumber, NamedFormatsPatternsAndSections) {
  const NumberCase cases[] = {
      {1234.567, "General Number", "1234.567"},
      {1234.567, "CURRENCY", "$1,234.57"},
      {1234.567, "Percent", "123456.70%"},
      {1234.567, "Scientific", "1.23E+03"},
      {1234.567, "Standard", "1.234,57", kDe},
      {-1234.567, "Currency", "-1.234,57 €", kDe},
      {-0.0, "", "0"},
      {-1234.5, "#,##0.00", "-1,234.50"},
      {0.256, "0%", "26%"},
      {12, "0,000", "0,012"},
      {5, "0.##", "5."},
      {1234, "##-##-##", "-12-34"},
      {1234567, "#,##0,", "1,235"},
      {12.5, "\\$0.00\\!", "$12.50!"},
      {1234.5, "0.00 \"a;b\"", "1234.50 a;b"},
      // Every integer digit appears, beyond the 15 significant ones as zeros.
      {123456789012345678.0, "#,##0", "123,456,789,012,346,000"},
      // Sections: positive; negative; zero.
      {-0.0, "0;(0);\\z\\e\\r\\o", "zero"},
      {-5, "0;(0);z;ignored", "(5)"},
      {-12.5, "0.00;0.00-", "12,50-", kDe},
      {0.001, "0;(0);\"z\"", "0"},  // the zero section goes by the value, not its rounding
      // A negative value whose digits round to zero shows as the positive section shows zero.
      {-0.001, "0.00;(0.00);\\z", "0.00"},
      // Halves go away from zero on the value's 15-digit decimal form.
      {1.005, "0.00", "1.01"},
      {9.96, "0.0E+00", "1.0E+01"},
      {1234.5, "0.00E-00", "1.23E03"},
      // With a date pattern a number is a date serial (days since 30 December 1899).
      {-1.25, "yyyy-mm-dd hh:nn", "1899-12-29 06:00"},
      {60, "Short Date", "28.02.1900", kDe},
  };
  for (const NumberCase& c : cases)
    EXPECT_EQ(FormatNumber(c.value, c.pattern, Region(c.german)), c.expected)
        << c.value << " with " << c.pattern;
}

TEST(FormatNumber, RefusesWhatItCannotShowAndStaysBounded) {
  const double inf = std::numeric_limits<double>::infinity();
  for (const double bad : {std::nan(""), inf, -inf})
    for (const char* pattern : {"", "0.00", "Currency", "yyyy"})
      EXPECT_EQ(FormatNumber(bad, pattern, kEnglish), std::nullopt) << pattern;
  for (const char* pattern : {"0 \"kg", "0\\"})
    EXPECT_EQ(FormatNumber(1, pattern, kEnglish), std::nullopt) << pattern;
  EXPECT_EQ(FormatNumber(1, std::string(70000, '0'), kEnglish), std::nullopt);
  // As a date serial the number lies outside the years 100 to 9999.
  EXPECT_EQ(FormatNumber(3e6, "yyyy", kEnglish), std::nullopt);
  // Long patterns give long texts, never more than each placeholder asks for.
  EXPECT_EQ(FormatNumber(7, std::string(10000, '0'), kEnglish), std::string(9999, '0') + "7");
  EXPECT_EQ(FormatNumber(1, "0" + std::string(10000, '%'), kEnglish)->size(), 30001u);
  EXPECT_EQ(FormatNumber(1e308, "0" + std::string(10000, ','), kEnglish), "0");
  const LocalDateTime moment{2026, 1, 5, 15, 4, 9, 0};
  EXPECT_EQ(FormatDateTime(moment, std::string(60000, 'd'), kEnglish)->size(), 10000u * 23u);
}

TEST(FormatText, NumbersInTheTextAreFormattedAndOtherTextStays) {
  const struct {
    const char* text;
    const char* pattern;
    std::optional<std::string> expected;
    bool german = false;
  } cases[] = {
      {"  -12.5\r\n", "0.00", "-12.50"},
      {"+1,234,567.5", "Standard", "1,234,567.50"},
      {"12.5 kg", "0.00", "12.5 kg"},
      {"&H1F", "0.00", "&H1F"},
      {"12", "0\"", std::nullopt},  // a bad pattern fails on a number only
      {"word", "0\"", "word"},
      {"1.234,5", "Fixed", "1234,50", kDe},
      {"1,5", "0.00", "1,5"},
      {"12.5", "Fixed", "12.5", kDe},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatText(c.text, c.pattern, Region(c.german)), c.expected)
        << c.text << " with " << c.pattern;
  EXPECT_EQ(DecimalSeparatorOf(German()), ',');
  // A Boolean's general form is True or False, any other -1 or 0.
  EXPECT_EQ(FormatBoolean(false, "", German()), "False");
  EXPECT_EQ(FormatBoolean(true, "Fixed", German()), "-1,00");
  EXPECT_EQ(FormatBoolean(false, "\"yes\";\"yes\";\"no\"", kEnglish), "no");
}

// Monday 5 January 2026, 15:04:09.
constexpr LocalDateTime kMoment{2026, 1, 5, 15, 4, 9, 500};
constexpr LocalDateTime kMorning{2026, 12, 5, 0, 30, 0, 0};
constexpr LocalDateTime Day(int year, int month, int day) {
  return {year, month, day, 0, 0, 0, 0};
}

TEST(FormatDateTime, PlaceholdersNamedFormatsAndWeeks) {
  const struct {
    LocalDateTime moment;
    const char* pattern;
    const char* expected;
    bool german = false;
  } cases[] = {
      {kMoment, "d dd ddd dddd", "5 05 Mon Monday"},
      {kMoment, "m mm mmm mmmm", "1 01 Jan January"},
      {kMoment, "w ww q y yy yyyy", "2 2 1 5 26 2026"},
      {kMoment, "hh:mm:ss", "15:04:09"},  // m after h is the minute
      {kMoment, "MM/DD/YYYY HH:NN:SS", "01/05/2026 15:04:09"},
      {kMorning, "h:nn AM/PM", "12:30 AM"},
      {kMoment, "\\y0.0", "y46027.6"},
      {LocalDateTime{105, 3, 1, 0, 0, 0, 0}, "yyyy yy", "0105 05"},
      {kMoment, "Long Date", "Monday, January 5, 2026"},
      {kMoment, "", "05.01.2026 15:04:09", kDe},
      {Day(2026, 3, 1), "dddd, d. mmmm yyyy", "Sonntag, 1. März 2026", kDe},
      {kMoment, "Medium Time", "03:04 PM", kDe},
      // Sunday starts the week and the week holding 1 January is week 1.
      {Day(2026, 1, 4), "w ww", "1 2"},
      {Day(2000, 12, 30), "ddd ww y", "Sat 53 365"},
      {Day(2028, 12, 31), "ddd ww y", "Sun 54 366"},
      {Day(1900, 3, 1), "ddd y", "Thu 60"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatDateTime(c.moment, c.pattern, Region(c.german)), c.expected) << c.pattern;
}

// Dates outside the calendar are refused; the serials of the whole range read back.
TEST(FormatDateTime, RefusesMomentsThatAreNoDatesAndSerialsRoundTrip) {
  for (const LocalDateTime& bad :
       {Day(2026, 2, 29), Day(2026, 13, 1), Day(2026, 0, 1), LocalDateTime{2026, 1, 1, 24, 0, 0, 0},
        LocalDateTime{2026, 1, 1, 0, 60, 0, 0}, Day(0, 1, 1), Day(10000, 1, 1)})
    EXPECT_EQ(FormatDateTime(bad, "yyyy", kEnglish), std::nullopt) << bad.year;
  EXPECT_EQ(FormatDateTime(kMoment, "yyyy\"", kEnglish), std::nullopt);
  for (const LocalDateTime& moment : {Day(100, 1, 1), LocalDateTime{1899, 12, 30, 23, 59, 59, 0},
                                      LocalDateTime{9999, 12, 31, 23, 59, 59, 0}})
    EXPECT_EQ(DateTimeFromSerial(SerialFromDateTime(moment)), moment) << moment.year;
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
      {"200000", 8, Value::Long(65536)}, {"40000000000", 8, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ConvertRadixField(c.text, c.base), c.expected) << c.text;
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
}

// Placements as the C library gives them: whether the symbol precedes, how it is separated,
// and where the sign goes (0: parentheses, 1: before all, 2: after all, 3: before the
// symbol, 4: after the symbol).
TEST(RegionalSettings, CurrencyPlacementsFollowTheCLibraryRules) {
  const std::pair<CurrencyPlacement, const char*> rows[] = {
      {{true, 0, 0}, "($1.50)"},  {{true, 1, 0}, "($ 1.50)"}, {{true, 2, 1}, "- $1.50"},
      {{false, 1, 1}, "-1.50 $"}, {{true, 0, 2}, "$1.50-"},   {{false, 2, 3}, "1.50- $"},
      {{true, 1, 3}, "-$ 1.50"},  {{true, 2, 4}, "$ -1.50"},  {{false, 1, 4}, "1.50 $-"}};
  for (const auto& [placement, expected] : rows) {
    RegionalSettings settings = kEnglish;
    settings.negativeCurrency = placement;
    EXPECT_EQ(FormatNumber(-1.5, "Currency", settings), expected) << expected;
  }
}

}  // namespace
}  // namespace fenno
