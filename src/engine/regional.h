#pragma once

// Regional settings: the separators, currency form, names and date/time layouts that the
// formatter follows. They are read once (from the C library locale, or the fixed English
// set) and handed to every call, so formatting never looks anything up per value.

#include <array>
#include <string>
#include <string_view>

namespace fenno {

// Where the currency symbol and the sign go, with the C library's meaning
// (localeconv: *_cs_precedes, *_sep_by_space, *_sign_posn).
struct CurrencyPlacement {
  bool symbolPrecedes = true;
  // 0 no space; 1 a space between the symbol (with an adjacent sign) and the amount;
  // 2 a space between the sign and the symbol or amount next to it.
  int separatedBySpace = 0;
  // 0 parentheses around amount and symbol; 1 sign first; 2 sign last; 3 sign right before
  // the symbol; 4 sign right after the symbol.
  int signPosition = 1;
};

struct RegionalSettings {
  // Numbers.
  char decimalSeparator = '.';
  std::string thousandsSeparator = ",";

  // Currency.
  std::string currencySymbol = "$";
  char currencyDecimalSeparator = '.';
  std::string currencyThousandsSeparator = ",";
  int currencyDigits = 2;
  std::string positiveSign;
  std::string negativeSign = "-";
  CurrencyPlacement positiveCurrency;
  CurrencyPlacement negativeCurrency;

  // Dates and times. Names are UTF-8 as the locale gives them; days start with Sunday.
  std::array<std::string, 12> monthNames;
  std::array<std::string, 12> monthAbbreviations;
  std::array<std::string, 7> dayNames;
  std::array<std::string, 7> dayAbbreviations;
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
  std::string amText = "AM";
  std::string pmText = "PM";
  // Layouts in the formatter's own date/time pattern language; the date order and the 12 or
  // 24 hour clock live in them.
  std::string shortDatePattern = "m/d/yyyy";
  std::string longDatePattern = "dddd, mmmm d, yyyy";
  std::string longTimePattern = "h:nn:ss AMPM";

  // United States English, fixed: for tests and whenever the locale offers nothing usable.
  static RegionalSettings English();
  // The process's C library locale (LC_NUMERIC, LC_MONETARY, LC_TIME as set by setlocale).
  // Pieces the locale leaves empty (as the "C" locale does) are taken from English().
  static RegionalSettings FromCurrentLocale();
};

// Translates a strftime layout (as nl_langinfo gives D_FMT or T_FMT) into the formatter's
// pattern language. Conversions without an equivalent (time zone, for instance) are dropped;
// `separator` in the layout becomes `separatorToken` so that the regional separator applies.
std::string PatternFromStrftime(std::string_view layout, std::string_view separator,
                                char separatorToken);

}  // namespace fenno
