#pragma once

#include <cstdint>
#include <string_view>

namespace fenno {

// The decimal number a text begins with, after leading blanks: an optional sign, digits and
// an optional fraction. Text that does not begin with a number gives 0.
double LeadingNumber(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour, and clamps the result to
// [low, high].
int64_t RoundHalfEven(double value, int64_t low, int64_t high);

}  // namespace fenno
