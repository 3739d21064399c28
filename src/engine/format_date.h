#pragma once

// Date/time pattern sections and the calendar behind them. Weeks start on Sunday and the
// week holding 1 January is week 1.
//
// Placeholders (letters in either case): d dd ddd dddd ddddd (short date) dddddd (long
// date), w (day of week, Sunday 1) ww (week of year), m mm mmm mmmm (m and mm are minutes
// when the last placeholder before them was an hour), q, y (day of year) yy yyyy, h hh,
// n nn, s ss, ttttt (long time), c (general date and time), AM/PM am/pm A/P a/p (the case
// as written), AMPM (the regional texts), "/" and ":" (the regional separators). An AM/PM
// placeholder anywhere in the section puts h and hh on the 12-hour clock.

#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "engine/regional.h"

namespace fenno {

// Years 1 to 9999 with a real calendar day and a time of day (second 60 allowed for a leap
// second).
bool IsValidDateTime(const LocalDateTime& moment);

// The classic date serial: days since 30 December 1899 with the time of day as fraction.
// Before that day the time still counts forward: 29 December 1899, 06:00 is -1.25.
double SerialFromDateTime(const LocalDateTime& moment);
// The moment of a serial, to the nearest second; nullopt outside the years 100 to 9999.
std::optional<LocalDateTime> DateTimeFromSerial(double serial);

// Whether a section holds a date or time placeholder (separators alone do not count).
bool HasDateTimePlaceholder(std::string_view section);

void AppendDateTimeSection(std::string& out, std::string_view section, const LocalDateTime& moment,
                           const RegionalSettings& regional);
// The regional short date and long time; the date is left out for the serial's day zero
// (30 December 1899), which stands for "a time of day only".
void AppendGeneralDateTime(std::string& out, const LocalDateTime& moment,
                           const RegionalSettings& regional);

}  // namespace fenno
