#include "keys/leading_number.h"

#include <cmath>

namespace fenno {

double LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10 + (text[i] - '0');
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10)
      value += (text[i] - '0') * scale;
  }
  return negative ? -value : value;
}

int64_t RoundHalfEven(double value, int64_t low, int64_t high) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(low)) return low;
  if (value >= static_cast<double>(high)) return high;
  // The default rounding mode of the floating-point unit rounds halves to even.
  return static_cast<int64_t>(std::nearbyint(value));
}

}  // namespace fenno
