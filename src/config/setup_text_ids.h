#pragma once

// String-table numbers of the setup window's file texts (data in
// src/base/strings/setup.*.txt). The window's own texts are in ui/setup_window_text_ids.h.

namespace fenno::str {

// A named configuration that cannot be read (data in program.*.txt); %1 = the path.
inline constexpr int kConfigNotReadable = 10601;

inline constexpr int kSaveChangedFile = 10604;           // "File has changed. Save?"
inline constexpr int kSaveCurrentConfiguration = 10605;  // "Save Current Configuration?"
inline constexpr int kOpenConfigTitle = 10606;           // "Open Comfenno Configuration..."
inline constexpr int kSaveConfigAsTitle = 10607;         // "Save Comfenno Configuration As..."
// The file dialog filter in Qt's form: "Comfenno Config (*.DE3);;All Files (*)".
inline constexpr int kConfigFileFilter = 10608;
// The log file dialog of Mode > Log to disk (Part 3.5, D).
inline constexpr int kLogFileTitle = 10609;   // "Log Incoming Serial Data To File..."
inline constexpr int kLogFileFilter = 10610;  // "Comfenno Log (*.log);;All Files (*)"

}  // namespace fenno::str
