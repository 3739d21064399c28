#pragma once

// Numbers of the string-table texts the code looks up by name. Numbers below 10000 are
// the table's own numbering. Texts that had no number were given one of 10000 and above,
// in a range per area, so that they are translated too; their names live in the area's
// own header (for example config/config_text_ids.h):
//   10000-10099 configuration files    10100-10199 transports
//   10200-10299 keystroke output       10300-10399 engine and data log
//   10400-10499 live data items        10500-10599 hot keys
//   10600-10699 program start-up and setup window

namespace fenno::str {

// Font of the user interface language.
inline constexpr int kFontName = 20;
inline constexpr int kFontCharset = 21;

// Named formats as shown to the user, 9004 "General Number" .. 9009 "Scientific".
inline constexpr int kFormatGeneralNumber = 9004;

}  // namespace fenno::str
