#pragma once

// String-table numbers of the engine's own messages (data in src/base/strings/engine.*.txt).

namespace fenno::str {

inline constexpr int kLogWriteErrorTitle = 10301;  // %1 = port number
inline constexpr int kRecordTooLong = 10302;       // %1 = the limit in bytes
inline constexpr int kRecordTooLongTitle = 10303;
inline constexpr int kLogRecordsLost = 10304;  // %1 = count, %2 = log path

}  // namespace fenno::str
