#pragma once

// String-table numbers of the configuration file messages (data in
// src/base/strings/config.*.txt).

namespace fenno::str {

inline constexpr int kNotAConfigFile = 10001;  // %1 = the path as given
inline constexpr int kFileErrorTitle = 10002;
inline constexpr int kOldConfigFile = 10003;
inline constexpr int kOldConfigFileTitle = 10004;
inline constexpr int kFileIoError = 10005;
inline constexpr int kLineBreakInSetting = 10006;    // %1 = setting name
inline constexpr int kUnstorableValue = 10007;       // %1 = setting name
inline constexpr int kCannotOpenConfigFile = 10008;  // %1 = the path

}  // namespace fenno::str
