#include "engine/format_decimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace fenno {

namespace {
constexpr int kSignificantDigits = 15;
}

DecimalDigits DecimalDigits::FromDouble(double value) {
  DecimalDigits result;
  value = std::fabs(value);
  if (value == 0 || !std::isfinite(value)) return result;
  // to_chars ignores the C library locale, so a comma locale cannot leak into the digits.
  char text[40];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                                 kSignificantDigits - 1)
                       .ptr;
  // text is "d.dddddddddddddde[+-]xx"
  const char* exponent = text + 2 + (kSignificantDigits - 1) + 1;
  result.digits_[0] = text[0];
  for (int i = 1; i < kSignificantDigits; ++i) result.digits_[static_cast<size_t>(i)] = text[1 + i];
  result.count_ = kSignificantDigits;
  int power = 0;
  std::from_chars(exponent + (exponent[0] == '+' ? 1 : 0), end, power);
  result.point_ = power + 1;
  result.DropTrailingZeros();
  return result;
}

void DecimalDigits::RoundAt(long keep) {
  if (keep >= count_) return;
  if (keep < 0) {
    count_ = 0;
    return;
  }
  const bool up = digits_[static_cast<size_t>(keep)] >= '5';
  count_ = static_cast<int>(keep);
  if (up) {
    int i = count_ - 1;
    while (i >= 0 && digits_[static_cast<size_t>(i)] == '9') --i;
    if (i < 0) {
      digits_[0] = '1';
      count_ = 1;
      ++point_;
      return;
    }
    ++digits_[static_cast<size_t>(i)];
    count_ = i + 1;
  }
  DropTrailingZeros();
}

void DecimalDigits::DropTrailingZeros() {
  while (count_ > 0 && digits_[static_cast<size_t>(count_ - 1)] == '0') --count_;
}

}  // namespace fenno
