#pragma once

// The formatter: a value and a pattern in, text out, in the manner of the classic BASIC
// Format function. Field completion, the engine clock and the date command call it.
//
// Patterns
// - "" gives the general form: numbers as in "General Number", moments as "General Date",
//   Booleans "True"/"False", texts unchanged.
// - Named formats, matched without regard to case: "General Number", "Currency", "Fixed"
//   (0.00), "Standard" (#,##0.00), "Percent" (0.00%), "Scientific" (0.00E+00), and for
//   moments "General Date", "Long Date", "Medium Date" (dd-mmm-yy), "Short Date", "Long Time",
//   "Medium Time" (hh:nn AM/PM), "Short Time" (hh:nn).
// - Anything else is a pattern of up to three sections "positive;negative;zero". A section
//   with a digit placeholder is numeric (format_number.h); one without a digit placeholder
//   but with a date/time placeholder formats a moment (format_date.h) - a number then stands
//   for its date serial, a moment used with a numeric section for its serial.
//
// Signs and zero
// - With one section (or an empty negative section) a negative number gets "-" in front of
//   everything the section produces; a negative section shows the magnitude and writes its
//   own sign, if any.
// - Zero, negative zero included, takes the zero section when there is one.
// - A negative number that rounds to zero in the section chosen for it is shown as the
//   positive section shows zero: "0.00" on -0.001 gives 0.00 and "0.00;(0.00)" gives 0.00,
//   never -0.00 or (0.00), which would claim a sign the digits do not carry.
//
// Failure (nullopt: the caller keeps the value unformatted)
// - NaN and infinities, moments that are not real dates, numbers used as dates outside the
//   years 100 to 9999, patterns with an unclosed quote or a trailing lone backslash, and
//   patterns longer than 65535 characters.
// Output is bounded by the pattern's length and the value's magnitude (at most about 300
// integer digits plus the digits the pattern asks for).

#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "engine/regional.h"

namespace fenno {

// "," when one tenth formatted with "0.0" shows a comma, else ".".
char DecimalSeparatorOf(const RegionalSettings& regional);

std::optional<std::string> FormatNumber(double value, std::string_view pattern,
                                        const RegionalSettings& regional);
// Text that reads as a number under the regional settings (NumberFromRegionalText) is
// formatted as that number; any other text, and any text with the empty pattern, comes back
// unchanged.
std::optional<std::string> FormatText(std::string_view text, std::string_view pattern,
                                      const RegionalSettings& regional);
// True is -1 and False 0 for every pattern but the empty one.
std::optional<std::string> FormatBoolean(bool value, std::string_view pattern,
                                         const RegionalSettings& regional);
std::optional<std::string> FormatDateTime(const LocalDateTime& moment, std::string_view pattern,
                                          const RegionalSettings& regional);

// The number a whole text stands for: blanks (space, tab, CR, LF) around an optional sign,
// digits with the regional decimal separator, thousands separators only between groups of
// exactly three digits ("1,234,567" but not "1,5" or "12,34"), and an optional exponent
// (1.5E-3). nullopt for anything else, so that a reading in the other convention is left
// alone rather than misread.
std::optional<double> NumberFromRegionalText(std::string_view text,
                                             const RegionalSettings& regional);

}  // namespace fenno
