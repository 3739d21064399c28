#pragma once

// String-table numbers of the translation editors, the ASCII chart and the date/time format
// dialog that the table never had (data in src/base/strings/tables.*.txt).

namespace fenno::str {

// The pre-input entries "Ignore" and "Void Record" as the editor and the chart show them;
// the configuration file keeps the English words.
inline constexpr int kPreInputIgnoreShown = 10900;
inline constexpr int kPreInputVoidRecordShown = 10901;

// A date/time format the clock cannot apply.
inline constexpr int kDateTimeFormatInvalid = 10910;
inline constexpr int kDateTimeFormatInvalidTitle = 10911;

}  // namespace fenno::str
