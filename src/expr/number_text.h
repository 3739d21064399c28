#pragma once

// Numbers as text: reading them the way `val` does, deciding whether a whole text is a
// number, rounding to whole numbers and the general text form of numbers.
//
// Reading. Leading blanks (space, tab, CR, LF) are skipped. A decimal number is an optional
// sign, digits with at most one decimal point "." (the point is never regional) and an
// optional exponent: "E" or "D" in either case, an optional sign and at least one digit. A
// number may also be "&H" followed by hexadecimal digits or "&O" followed by octal digits
// (either case); up to four hexadecimal or six octal digits with a value up to FFFF are a
// signed 16-bit number (FFFF is -1), more digits a signed 32-bit number (FFFFFFFF is -1,
// 10000 is 65536), and an "&" right after the digits asks for 32 bits (FFFF& is 65535).
// Reading stops at the first character that cannot continue the number.
//
// Text form. A Double shows its value rounded to 15 significant digits, without trailing
// zeros: 0.1 + 0.2 prints as 0.3 and 1/3 as 0.333333333333333, as users of such languages
// expect; the formatter's general number uses the same digits. A Single shows the shortest
// digits that read back to the same Single. The digits are laid out without an exponent
// from 0.0001 up to, but not including, 1E+15 (that is, up to fifteen digits before the
// point); beyond that range the form is one digit, the other digits after a point, "E",
// the sign and at least two exponent digits: 1E+15, 1.25E-05. Negative zero prints as 0.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fenno {

// The blanks that reading skips before a number and that may surround numeric text.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The number a text begins with, and how many characters (leading blanks included) it took.
struct LeadingNumber {
  double value = 0;   // 0 when there was no number or it does not fit
  size_t length = 0;  // 0 when the text does not begin with a number
  bool fits = true;   // false when the number is beyond the range of its kind
};

LeadingNumber ReadLeadingNumber(std::string_view text);

// The hexadecimal digits a text begins with (after blanks, without a prefix) as a signed
// 32-bit number: FFFF is 65535, FFFFFFFF is -1; more than 32 bits do not fit.
LeadingNumber ReadHexLong(std::string_view text);

// The number the text begins with; 0 when there is none or it does not fit. Callers that
// must tell "too large" from "no number" use ValChecked or ReadLeadingNumber.
double Val(std::string_view text);
// Like Val, but nullopt when the number the text begins with does not fit.
std::optional<double> ValChecked(std::string_view text);

// The value of a text that is a number as a whole: one number as Val reads it, with nothing
// but blanks before and after it. Empty and blank texts are not numbers.
std::optional<double> NumberFromText(std::string_view text);

// Whole-number rounding with halves going to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2); nullopt when the rounded value does not fit or the input is not a number.
std::optional<int32_t> RoundToLong(double value);
std::optional<int16_t> RoundToInteger(double value);

// The digits a Double shows: its magnitude rounded to 15 significant digits, trailing
// zeros dropped; value = d1.d2d3... x 10^exponent. Zero, infinities and NaN have no digits.
struct ShownDigits {
  static constexpr int kSignificant = 15;
  char digits[kSignificant] = {};
  int count = 0;
  int exponent = 0;
};
ShownDigits ShownDigitsOf(double value);

// The general text form (see above), with `decimalPoint` between whole and fraction.
std::string DoubleToText(double value);
std::string SingleToText(float value);
void AppendDoubleText(std::string& out, double value, char decimalPoint = '.');
void AppendSingleText(std::string& out, float value);

}  // namespace fenno
