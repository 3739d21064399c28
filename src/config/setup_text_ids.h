#pragma once

// String-table numbers of the setup window's file texts (data in
// src/base/strings/setup.*.txt). The window's own texts are in ui/setup_window_text_ids.h.

namespace fenno::str {

// A named configuration that cannot be read (data in program.*.txt); %1 = the path.
inline constexpr int kConfigNotReadable = 10601;

inline constexpr int kSaveChangedFile = 10620;           // "File has changed. Save?"
inline constexpr int kSaveCurrentConfiguration = 10621;  // "Save Current Configuration?"
inline constexpr int kOpenConfigTitle = 10622;           // "Open Comfenno Configuration..."
inline constexpr int kSaveConfigAsTitle = 10623;         // "Save Comfenno Configuration As..."
// The file dialog filter in Qt's form: "Comfenno Config (*.DE3);;All Files (*)".
inline constexpr int kConfigFileFilter = 10624;
// The log file dialog of Mode > Log to disk.
inline constexpr int kLogFileTitle = 10625;   // "Log Incoming Serial Data To File..."
inline constexpr int kLogFileFilter = 10626;  // "Comfenno Log (*.log);;All Files (*)"
// A log file chosen in a folder it cannot be written to (data in port.*.txt).
inline constexpr int kLogFolderMissing = 11040;      // %1 folder
inline constexpr int kLogFolderNotWritable = 11041;  // %1 folder
inline constexpr int kLogFolderTitle = 11042;

}  // namespace fenno::str
