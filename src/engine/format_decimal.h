#pragma once

// Decimal digits of a double, as the formatter prints them.
//
// A double is first taken to the 15 significant decimal digits it shows as text
// (ShownDigitsOf), what a user sees of a value. Rounding to the digits a pattern
// asks for then works on that decimal text, halves going away from zero: 2.5 gives 3,
// 0.125 gives 0.13, and 1.005 (stored in binary as 1.00499999999999989...) gives 1.01,
// because its 15-digit form is 1.00500000000000.

#include <array>
#include <cstddef>

namespace fenno {

// value = 0.d1 d2 ... dn x 10^point; the sign is kept apart.
class DecimalDigits {
 public:
  // `value` must be finite; its sign is ignored.
  static DecimalDigits FromDouble(double value);

  bool IsZero() const { return count_ == 0; }
  int Point() const { return point_; }
  int Count() const { return count_; }
  // The digit at `index` (0 is the first significant digit); '0' outside the digits.
  char DigitAt(long index) const {
    return index >= 0 && index < count_ ? digits_[static_cast<size_t>(index)] : '0';
  }

  // Multiplies by 10^places (percent signs, scaling commas, exponents).
  void Shift(int places) { point_ += places; }
  // Rounds, halves away from zero, to `places` digits after the decimal point.
  void RoundToFraction(int places) { RoundAt(static_cast<long>(point_) + places); }
  // Rounds, halves away from zero, to `digits` significant digits.
  void RoundToSignificant(int digits) { RoundAt(digits); }

 private:
  void RoundAt(long keep);
  void DropTrailingZeros();

  std::array<char, 24> digits_{};
  int count_ = 0;
  int point_ = 0;
};

}  // namespace fenno
