#pragma once

// String-table numbers of the record dialogs' own texts that the table never had (data in
// src/base/strings/records.*.txt). The dialogs' other texts are the table's own
// (base/string_ids.h).

namespace fenno::str {

// The table's own texts that base/string_ids.h does not name.
inline constexpr int kFixedLengthLabel = 1705;       // "Record Length:"
inline constexpr int kRecDefsBytesDefinedOf = 4044;  // "Bytes Defined: %1 of %2"

inline constexpr int kPreviewFrame = 10800;         // "Preview"
inline constexpr int kPreviewSampleLabel = 10801;   // "Sample of the device's data:"
inline constexpr int kPreviewOpenSample = 10802;    // "Open Sample &File..."
inline constexpr int kPreviewFileTitle = 10803;     // the file dialog's title
inline constexpr int kPreviewFileFilter = 10804;    // "All Files (*)"
inline constexpr int kPreviewFieldHeader = 10805;   // "Field %1"
inline constexpr int kPreviewFailedHeader = 10806;  // "Field %1 (!)": expression or format failed
inline constexpr int kPreviewRecordCount = 10807;   // "%1 records shown"
inline constexpr int kPreviewSampleUnreadable = 10808;
inline constexpr int kRecDefsBytesDefinedTotal =
    10810;                                        // "Bytes Defined: %1"  // "%1 cannot be read."
inline constexpr int kPreviewFailedHint = 10809;  // tool tip of a marked column

}  // namespace fenno::str
