#include "engine/format_decimal.h"

#include <algorithm>

#include "expr/number_text.h"

namespace fenno {

DecimalDigits DecimalDigits::FromDouble(double value) {
  DecimalDigits result;
  const ShownDigits shown = ShownDigitsOf(value);
  std::copy(shown.digits, shown.digits + shown.count, result.digits_.begin());
  result.count_ = shown.count;
  result.point_ = shown.exponent + 1;
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
