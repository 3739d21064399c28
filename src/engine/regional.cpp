#include "engine/regional.h"

#include <langinfo.h>

#include <cctype>
#include <climits>
#include <clocale>
#include <cstring>

namespace fenno {

namespace {

constexpr std::array<const char*, 12> kEnglishMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kEnglishDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                     "Thursday", "Friday", "Saturday"};

// The "C" and "POSIX" locales say nothing regional: such a category takes the English set.
bool IsNeutralLocale(int category) {
  const char* name = std::setlocale(category, nullptr);
  if (name == nullptr) return true;
  const std::string_view view(name);
  return view == "C" || view == "POSIX" || view.starts_with("C.");
}

std::string TextOr(const char* text, const std::string& fallback) {
  return text != nullptr && *text != '\0' ? std::string(text) : fallback;
}

// localeconv marks absent numbers with CHAR_MAX.
int NumberOr(char value, int fallback) {
  return value == CHAR_MAX || value < 0 ? fallback : value;
}

CurrencyPlacement PlacementOr(char precedes, char bySpace, char signPosition,
                              const CurrencyPlacement& fallback) {
  if (precedes == CHAR_MAX || precedes < 0 || bySpace < 0 || bySpace > 2 || signPosition < 0 ||
      signPosition > 4)
    return fallback;
  return CurrencyPlacement{precedes != 0, bySpace, signPosition};
}

void ReadNumeric(RegionalSettings& settings) {
  const lconv* conv = std::localeconv();
  const char* point = conv->decimal_point;
  // The engine keeps the decimal separator as one byte; a longer one cannot be used.
  if (point != nullptr && std::strlen(point) == 1) settings.decimalSeparator = point[0];
  const std::string groupFallback = settings.decimalSeparator == ',' ? "." : ",";
  settings.thousandsSeparator = TextOr(conv->thousands_sep, groupFallback);
}

void ReadMonetary(RegionalSettings& settings, const RegionalSettings& english) {
  const lconv* conv = std::localeconv();
  settings.currencySymbol = TextOr(conv->currency_symbol, english.currencySymbol);
  const char* point = conv->mon_decimal_point;
  settings.currencyDecimalSeparator =
      point != nullptr && std::strlen(point) == 1 ? point[0] : settings.decimalSeparator;
  settings.currencyThousandsSeparator =
      TextOr(conv->mon_thousands_sep, settings.thousandsSeparator);
  settings.currencyDigits = NumberOr(conv->frac_digits, english.currencyDigits);
  settings.positiveSign = TextOr(conv->positive_sign, "");
  // Without a sign a negative amount would read as positive, unless it is bracketed.
  settings.negativeSign = TextOr(conv->negative_sign, english.negativeSign);
  settings.positiveCurrency = PlacementOr(conv->p_cs_precedes, conv->p_sep_by_space,
                                          conv->p_sign_posn, english.positiveCurrency);
  settings.negativeCurrency = PlacementOr(conv->n_cs_precedes, conv->n_sep_by_space,
                                          conv->n_sign_posn, english.negativeCurrency);
}

template <size_t N>
void ReadNames(std::array<std::string, N>& names, nl_item first) {
  for (size_t i = 0; i < N; ++i)
    names[i] = TextOr(nl_langinfo(static_cast<nl_item>(first + i)), names[i]);
}

bool IsSeparatorCandidate(std::string_view text, std::string_view allowed) {
  return text.size() == 1 && allowed.find(text[0]) != std::string_view::npos;
}

// Length of the conversion starting at `layout[i]` == '%': flags, width, modifier, letter.
size_t ConversionLength(std::string_view layout, size_t i) {
  size_t end = i + 1;
  while (end < layout.size() && std::strchr("-_0^#", layout[end]) != nullptr) ++end;
  while (end < layout.size() && layout[end] >= '0' && layout[end] <= '9') ++end;
  if (end < layout.size() && (layout[end] == 'E' || layout[end] == 'O')) ++end;
  return end < layout.size() ? end - i + 1 : layout.size() - i;
}

// The literal text between the first two conversions of a layout, when it is one of
// `allowed`; empty otherwise.
std::string FindSeparator(std::string_view layout, std::string_view allowed) {
  const size_t first = layout.find('%');
  if (first == std::string_view::npos) return {};
  const size_t start = first + ConversionLength(layout, first);
  const size_t next = layout.find('%', start);
  if (next == std::string_view::npos) return {};
  const std::string_view between = layout.substr(start, next - start);
  return IsSeparatorCandidate(between, allowed) ? std::string(between) : std::string();
}

std::string ExpandTimeShorthand(std::string_view layout, std::string_view ampmLayout) {
  std::string result;
  for (size_t i = 0; i < layout.size(); ++i) {
    if (layout[i] == '%' && i + 1 < layout.size()) {
      const char letter = layout[i + 1];
      if (letter == 'T' || letter == 'r') {
        result += letter == 'T' ? std::string_view("%H:%M:%S") : ampmLayout;
        ++i;
        continue;
      }
    }
    result += layout[i];
  }
  return result;
}

// Which of d, m, y comes first in a pattern.
char LeadingDatePart(std::string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '\\') {
      ++i;
      continue;
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
    if (lower == 'd' || lower == 'm' || lower == 'y') return lower;
  }
  return 'm';
}

// The C library has no long date layout: build one in the order of the short date.
std::string LongDateFor(std::string_view shortDate, std::string_view dateSeparator) {
  switch (LeadingDatePart(shortDate)) {
    case 'd':
      return dateSeparator == "." ? "dddd, d. mmmm yyyy" : "dddd, d mmmm yyyy";
    case 'y': {
      std::string pattern(shortDate);
      for (const char* padded : {"dd", "mm"})
        if (const size_t at = pattern.find(padded); at != std::string::npos) pattern.erase(at, 1);
      return pattern + " dddd";
    }
    default:
      return "dddd, mmmm d, yyyy";
  }
}

void ReadTime(RegionalSettings& settings) {
  ReadNames(settings.monthNames, MON_1);
  ReadNames(settings.monthAbbreviations, ABMON_1);
  ReadNames(settings.dayNames, DAY_1);
  ReadNames(settings.dayAbbreviations, ABDAY_1);
  // A locale without AM/PM texts keeps the English ones: an hour on the 12-hour clock with
  // nothing after it would be ambiguous.
  settings.amText = TextOr(nl_langinfo(AM_STR), settings.amText);
  settings.pmText = TextOr(nl_langinfo(PM_STR), settings.pmText);

  const std::string ampmLayout = TextOr(nl_langinfo(T_FMT_AMPM), "%I:%M:%S %p");
  const std::string dateLayout = TextOr(nl_langinfo(D_FMT), "%m/%d/%Y");
  const std::string timeLayout =
      ExpandTimeShorthand(TextOr(nl_langinfo(T_FMT), "%H:%M:%S"), ampmLayout);
  const std::string dateSeparator = FindSeparator(dateLayout, "/.-");
  const std::string timeSeparator = FindSeparator(timeLayout, ":.");
  if (!dateSeparator.empty()) settings.dateSeparator = dateSeparator;
  if (!timeSeparator.empty()) settings.timeSeparator = timeSeparator;
  settings.shortDatePattern = PatternFromStrftime(dateLayout, dateSeparator, '/');
  settings.longTimePattern = PatternFromStrftime(timeLayout, timeSeparator, ':');
  settings.longDatePattern = LongDateFor(settings.shortDatePattern, settings.dateSeparator);
}

// strftime conversions and their placeholders, zero-padded and with the "-" or "_" flag.
struct Conversion {
  char letter;
  const char* padded;
  const char* unpadded;
};

constexpr Conversion kConversions[] = {{'d', "dd", "d"},
                                       {'e', "d", "d"},
                                       {'m', "mm", "m"},
                                       {'Y', "yyyy", "yyyy"},
                                       {'y', "yy", "yy"},
                                       {'H', "hh", "h"},
                                       {'I', "hh", "h"},
                                       {'k', "h", "h"},
                                       {'l', "h", "h"},
                                       {'M', "nn", "n"},
                                       {'S', "ss", "s"},
                                       {'p', "AMPM", "AMPM"},
                                       {'P', "AMPM", "AMPM"},
                                       {'a', "ddd", "ddd"},
                                       {'A', "dddd", "dddd"},
                                       {'b', "mmm", "mmm"},
                                       {'h', "mmm", "mmm"},
                                       {'B', "mmmm", "mmmm"},
                                       {'j', "y", "y"},
                                       {'U', "ww", "ww"},
                                       {'D', "mm/dd/yy", "m/d/yy"},
                                       {'F', "yyyy-mm-dd", "yyyy-m-d"},
                                       {'R', "hh:nn", "h:nn"},
                                       {'T', "hh:nn:ss", "h:nn:ss"},
                                       {'r', "hh:nn:ss AMPM", "h:nn:ss AMPM"},
                                       {'n', "\\\n", "\\\n"},
                                       {'t', "\\\t", "\\\t"},
                                       {'%', "\\%", "\\%"}};

// Conversions without a placeholder (the time zone, for instance) show nothing.
const char* TokenForConversion(char letter, bool unpadded) {
  for (const Conversion& conversion : kConversions)
    if (conversion.letter == letter) return unpadded ? conversion.unpadded : conversion.padded;
  return "";
}

void AppendLiteral(std::string& pattern, char c) {
  // Bytes of multi-byte characters and blanks are never pattern characters.
  if (static_cast<unsigned char>(c) < 0x80 && c != ' ') pattern += '\\';
  pattern += c;
}

}  // namespace

std::string PatternFromStrftime(std::string_view layout, std::string_view separator,
                                char separatorToken) {
  std::string pattern;
  size_t i = 0;
  while (i < layout.size()) {
    if (layout[i] == '%') {
      const size_t length = ConversionLength(layout, i);
      const bool unpadded = length > 2 && (layout[i + 1] == '-' || layout[i + 1] == '_');
      pattern += TokenForConversion(layout[i + length - 1], unpadded);
      i += length;
    } else if (!separator.empty() && layout.substr(i).starts_with(separator)) {
      pattern += separatorToken;
      i += separator.size();
    } else {
      AppendLiteral(pattern, layout[i++]);
    }
  }
  return pattern;
}

RegionalSettings RegionalSettings::English() {
  RegionalSettings settings;
  for (size_t i = 0; i < 12; ++i) {
    settings.monthNames[i] = kEnglishMonths[i];
    settings.monthAbbreviations[i] = std::string(kEnglishMonths[i]).substr(0, 3);
  }
  for (size_t i = 0; i < 7; ++i) {
    settings.dayNames[i] = kEnglishDays[i];
    settings.dayAbbreviations[i] = std::string(kEnglishDays[i]).substr(0, 3);
  }
  return settings;
}

RegionalSettings RegionalSettings::FromCurrentLocale() {
  const RegionalSettings english = English();
  RegionalSettings settings = english;
  if (!IsNeutralLocale(LC_NUMERIC)) ReadNumeric(settings);
  if (!IsNeutralLocale(LC_MONETARY)) ReadMonetary(settings, english);
  if (!IsNeutralLocale(LC_TIME)) ReadTime(settings);
  return settings;
}

}  // namespace fenno
