#pragma once

#include <string>
#include <string_view>

#include "base/clock.h"

namespace fenno {

// Replaces the first occurrence of each date and time tag ({CENTURY}, {YEAR}, {MONTH},
// {DAY}, {HOUR}, {MINUTE}, {SECOND}, in any letter case) with the digits of `now`.
std::string ExpandDateTimeTags(std::string_view text, const LocalDateTime& now);

}  // namespace fenno
