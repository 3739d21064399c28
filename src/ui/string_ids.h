#pragma once

// Numbers of the string-table texts the code looks up by name. Numbers below 10000 are
// the table's historical numbering; 10000 and above are texts that had no number of
// their own and were given one here so that they are translated too.

namespace fenno::str {

// Font of the user interface language.
inline constexpr int kFontName = 20;
inline constexpr int kFontCharset = 21;

// Named formats as shown to the user.
inline constexpr int kFormatGeneralNumber = 9004;  // .. 9009 Scientific

// Configuration files.
inline constexpr int kNotAConfigFile = 10001;      // %1 = path in capitals
inline constexpr int kFileErrorTitle = 10002;
inline constexpr int kOldConfigFile = 10003;
inline constexpr int kOldConfigFileTitle = 10004;
inline constexpr int kFileIoError = 10005;
inline constexpr int kLineBreakInSetting = 10006;  // %1 = setting name
inline constexpr int kProgramTitle = 10007;        // default message-box title

}  // namespace fenno::str
