#pragma once

// String-table numbers of the output-string, hot-key, target-application and key-picker
// dialogs' own texts (data in src/base/strings/output.*.txt).

namespace fenno::str {

inline constexpr int kInvalidIntervalTitle = 4032;    // the table's "Invalid Interval"
inline constexpr int kSendStringButtonsFrame = 2715;  // the table's "Output String Buttons"
inline constexpr int kSendStringTimedFrame = 2716;    // the table's "Timed Output"
inline constexpr int kTimerIntervalTooLarge = 11200;
inline constexpr int kOutputCancel = 11201;
inline constexpr int kSendStringNamesField = 11202;  // labels with mnemonics
inline constexpr int kSendStringCaptionField = 11203;
inline constexpr int kSendStringTextField = 11204;
inline constexpr int kSendStringAckField = 11205;
inline constexpr int kSendStringIntervalField = 11206;
inline constexpr int kSendStringTimerStringField = 11207;
inline constexpr int kSendStringEntryName = 11208;  // %1 = 1..20

inline constexpr int kAppSelectDelayLabel = 11210;
inline constexpr int kAppSelectDelayHelp = 11211;  // three lines, names the program
inline constexpr int kAppSelectProgramFilter = 11212;
inline constexpr int kAppSelectWindowsLabel = 11213;
inline constexpr int kAppSelectWindowsPlaceholder = 11214;
inline constexpr int kAppSelectBrowseTitle = 11215;
inline constexpr int kAppSelectTitleField = 11216;
inline constexpr int kAppSelectCommandField = 11217;
inline constexpr int kAppSelectBrowseButton = 11218;

inline constexpr int kHotKeyTaken = 11220;  // %1 = the key, %2 = the entry that has it
inline constexpr int kHotKeyTakenTitle = 11221;
inline constexpr int kHotKeyMissingOnLayout = 11222;  // %1 = the key
inline constexpr int kInvalidKeyTitle = 11223;
inline constexpr int kHotKeyFrmKeyField = 11224;  // the key box's label
inline constexpr int kHotKeyBoxPlaceholder = 11225;
inline constexpr int kKeyPickerListLabel = 11226;

}  // namespace fenno::str
