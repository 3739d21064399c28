#pragma once

// Numeric pattern sections: "0" and "#" digit placeholders, the decimal point, thousands
// separators (grouping, or scaling by 1000 each when they stand right before the decimal
// point or the end of the digits), "%", the exponent markers E+ E- e+ e-, and literals.

#include <string>
#include <string_view>

#include "engine/format_decimal.h"

namespace fenno {

struct NumberSymbols {
  char decimalSeparator = '.';
  std::string_view thousandsSeparator = ",";
};

// What a numeric section asks for, found in one pass before any digit is produced.
struct NumericLayout {
  int integerPlaceholders = 0;
  int fractionPlaceholders = 0;
  int fractionZerosThrough = 0;  // fraction places up to and including the last "0"
  int exponentPlaceholders = 0;
  int scale = 0;  // power of ten applied to the value: +2 per "%", -3 per scaling comma
  bool grouping = false;
  bool scientific = false;

  bool HasPlaceholders() const {
    return integerPlaceholders + fractionPlaceholders + exponentPlaceholders > 0;
  }
};

NumericLayout AnalyzeNumericSection(std::string_view section);

// Appends `section` applied to the magnitude held in `digits`. Returns false when the
// number shown is zero after rounding (the caller then drops a minus sign).
bool AppendNumericSection(std::string& out, std::string_view section, const NumericLayout& layout,
                          DecimalDigits digits, const NumberSymbols& symbols);

// The general number form: the text form of a Double in the expression language (up to 15
// significant digits, no thousands separators, plain from 0.0001 up to, not including,
// 1E+15, otherwise d.dddE+xx), with the regional decimal separator.
void AppendGeneralNumber(std::string& out, double value, char decimalSeparator);

}  // namespace fenno
