#include "expr/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "expr/ascii.h"

namespace fenno {
namespace {

int DigitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0' < base ? c - '0' : -1;
  const char lower = LowerAscii(c);
  if (base == 16 && lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// "&H" and "&O" numbers: short ones are 16-bit, as a number typed in a program would be.
LeadingNumber ReadBased(std::string_view text, size_t pos, int base, bool alwaysLong) {
  uint64_t value = 0;
  size_t digits = 0;
  bool tooLarge = false;
  for (; pos < text.size(); ++pos, ++digits) {
    const int digit = DigitValue(text[pos], base);
    if (digit < 0) break;
    if (!tooLarge) value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    tooLarge = tooLarge || value > 0xFFFFFFFFu;
  }
  if (digits == 0) return {};
  const bool suffixed = pos < text.size() && text[pos] == '&';
  if (suffixed) ++pos;
  const bool wantsLong = alwaysLong || suffixed;
  if (tooLarge) return {0, pos, false};
  const size_t shortDigits = base == 16 ? 4 : 6;
  if (!wantsLong && digits <= shortDigits && value <= 0xFFFFu) {
    return {static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(value))), pos, true};
  }
  return {static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value))), pos, true};
}

// End of an exponent part starting at pos, or pos itself when there is none.
size_t ExponentEnd(std::string_view text, size_t pos) {
  if (pos >= text.size()) return pos;
  const char marker = LowerAscii(text[pos]);
  if (marker != 'e' && marker != 'd') return pos;
  size_t end = pos + 1;
  if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
  const size_t digitsStart = end;
  while (end < text.size() && IsAsciiDigit(text[end])) ++end;
  return end > digitsStart ? end : pos;
}

// Decimal exponent of the first significant digit of an unsigned decimal number (digits,
// point, exponent), enough to tell a number beyond the largest double from one below the
// smallest.
long LeadingDigitExponent(std::string_view number) {
  long integerDigits = 0;
  long zerosAfterPoint = 0;
  bool significant = false;
  bool afterPoint = false;
  size_t pos = 0;
  for (; pos < number.size() && (IsAsciiDigit(number[pos]) || number[pos] == '.'); ++pos) {
    const char c = number[pos];
    if (c == '.') {
      afterPoint = true;
    } else if (!significant && c == '0') {
      zerosAfterPoint += afterPoint ? 1 : 0;
    } else {
      significant = true;
      integerDigits += afterPoint ? 0 : 1;
    }
  }
  long exponent = 0;
  if (pos < number.size()) {
    ++pos;
    const bool negative = pos < number.size() && number[pos] == '-';
    if (pos < number.size() && (number[pos] == '-' || number[pos] == '+')) ++pos;
    for (; pos < number.size(); ++pos) {
      exponent = std::min(exponent * 10 + (number[pos] - '0'), 100000L);
    }
    if (negative) exponent = -exponent;
  }
  return (integerDigits > 0 ? integerDigits - 1 : -(zerosAfterPoint + 1)) + exponent;
}

// Value of an unsigned decimal number as scanned by ReadDecimal; nullopt beyond range.
std::optional<double> DecimalValue(std::string_view number) {
  std::string withE;
  const size_t marker = number.find_first_of("dD");
  if (marker != std::string_view::npos) {
    withE.assign(number);
    withE[marker] = 'e';
    number = withE;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    if (LeadingDigitExponent(number) > 0) return std::nullopt;
    return 0.0;
  }
  if (error != std::errc() || end != number.data() + number.size()) return 0.0;
  return value;
}

LeadingNumber ReadDecimal(std::string_view text, size_t pos) {
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  const size_t start = pos;
  size_t digits = 0;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    if (IsAsciiDigit(text[pos])) {
      ++digits;
    } else if (text[pos] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return {};
  pos = ExponentEnd(text, pos);
  const std::optional<double> value = DecimalValue(text.substr(start, pos - start));
  if (!value) return {0, pos, false};
  // Adding zero turns a negative zero into zero.
  return {(negative ? -*value : *value) + 0.0, pos, true};
}

std::optional<double> RoundHalfEven(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return whole;
}

template <typename Int>
std::optional<Int> RoundToWhole(double value) {
  const std::optional<double> whole = RoundHalfEven(value);
  if (!whole || *whole < std::numeric_limits<Int>::min() ||
      *whole > std::numeric_limits<Int>::max()) {
    return std::nullopt;
  }
  return static_cast<Int>(*whole);
}

constexpr int kSmallestPlainExponent = -4;
constexpr int kLargestPlainExponent = 14;

void AppendExponent(std::string& out, int exponent) {
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  const int magnitude = std::abs(exponent);
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
}

// Lays out significant digits d1 d2 ... with the value d1.d2... x 10^exponent.
void AppendLaidOut(std::string& out, bool negative, std::string_view digits, int exponent,
                   char decimalPoint) {
  if (negative) out += '-';
  if (exponent < kSmallestPlainExponent || exponent > kLargestPlainExponent) {
    out += digits[0];
    if (digits.size() > 1) {
      out += decimalPoint;
      out.append(digits.substr(1));
    }
    AppendExponent(out, exponent);
  } else if (exponent < 0) {
    out += '0';
    out += decimalPoint;
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out.append(digits);
  } else {
    const size_t integerDigits = static_cast<size_t>(exponent) + 1;
    out.append(digits.substr(0, integerDigits));
    if (digits.size() < integerDigits) out.append(integerDigits - digits.size(), '0');
    if (digits.size() > integerDigits) {
      out += decimalPoint;
      out.append(digits.substr(integerDigits));
    }
  }
}

// Zero and the values the evaluator never keeps; true when one of them was written.
template <typename Number>
bool AppendSpecial(std::string& out, Number value) {
  if (value == 0) {
    out += '0';
  } else if (!std::isfinite(value)) {  // shown plainly anyway
    out += std::isnan(value) ? "NaN" : (value > 0 ? "Infinity" : "-Infinity");
  } else {
    return false;
  }
  return true;
}

// Splits to_chars' scientific form "d.ddde+xx" into its digits and exponent.
int SplitScientific(std::string_view text, char* digits, int& count) {
  const size_t marker = text.find('e');
  count = 0;
  for (const char c : text.substr(0, marker)) {
    if (c != '.') digits[count++] = c;
  }
  const std::string_view exponentText = text.substr(marker + 1);
  const size_t signLength = exponentText.front() == '+' ? 1 : 0;
  int exponent = 0;
  std::from_chars(exponentText.data() + signLength, exponentText.data() + exponentText.size(),
                  exponent);
  return exponent;
}

}  // namespace

ShownDigits ShownDigitsOf(double value) {
  ShownDigits shown;
  value = std::fabs(value);
  if (value == 0 || !std::isfinite(value)) return shown;
  // to_chars rounds the exact binary value correctly and ignores the C library locale.
  char text[40];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                                 ShownDigits::kSignificant - 1)
                       .ptr;
  shown.exponent = SplitScientific(std::string_view(text, static_cast<size_t>(end - text)),
                                   shown.digits, shown.count);
  while (shown.count > 1 && shown.digits[shown.count - 1] == '0') --shown.count;
  return shown;
}

LeadingNumber ReadLeadingNumber(std::string_view text) {
  const size_t pos = SkipBlanks(text, 0);
  if (pos + 1 < text.size() && text[pos] == '&') {
    const char prefix = LowerAscii(text[pos + 1]);
    if (prefix == 'h') return ReadBased(text, pos + 2, 16, false);
    if (prefix == 'o') return ReadBased(text, pos + 2, 8, false);
    return {};
  }
  return ReadDecimal(text, pos);
}

LeadingNumber ReadHexLong(std::string_view text) {
  return ReadBased(text, SkipBlanks(text, 0), 16, true);
}

double Val(std::string_view text) {
  return ValChecked(text).value_or(0.0);
}

std::optional<double> ValChecked(std::string_view text) {
  const LeadingNumber number = ReadLeadingNumber(text);
  if (!number.fits) return std::nullopt;
  return number.value;
}

std::optional<double> NumberFromText(std::string_view text) {
  const LeadingNumber number = ReadLeadingNumber(text);
  if (number.length == 0 || !number.fits) return std::nullopt;
  if (SkipBlanks(text, number.length) != text.size()) return std::nullopt;
  return number.value;
}

std::optional<int32_t> RoundToLong(double value) {
  return RoundToWhole<int32_t>(value);
}

std::optional<int16_t> RoundToInteger(double value) {
  return RoundToWhole<int16_t>(value);
}

std::string DoubleToText(double value) {
  std::string text;
  AppendDoubleText(text, value);
  return text;
}

std::string SingleToText(float value) {
  std::string text;
  AppendSingleText(text, value);
  return text;
}

void AppendDoubleText(std::string& out, double value, char decimalPoint) {
  if (AppendSpecial(out, value)) return;
  const ShownDigits shown = ShownDigitsOf(value);
  AppendLaidOut(out, value < 0, std::string_view(shown.digits, static_cast<size_t>(shown.count)),
                shown.exponent, decimalPoint);
}

void AppendSingleText(std::string& out, float value) {
  if (AppendSpecial(out, value)) return;
  char text[32];
  const auto end =
      std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific).ptr;
  char digits[16];
  int count = 0;
  const int exponent =
      SplitScientific(std::string_view(text, static_cast<size_t>(end - text)), digits, count);
  AppendLaidOut(out, value < 0, std::string_view(digits, static_cast<size_t>(count)), exponent,
                '.');
}

}  // namespace fenno
