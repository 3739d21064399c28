#pragma once

// String-table numbers of the setup window's own texts and of its small dialogs (data in
// src/base/strings/setup.*.txt). The file texts are in config/setup_text_ids.h.

namespace fenno::str {

inline constexpr int kQuickStartMenu = 10630;   // "&Quick Start Guide" (Help menu)
inline constexpr int kHelpPageMissing = 10632;  // %1 = the page's file name
inline constexpr int kAboutCaption = 10633;     // "About Comfenno"
inline constexpr int kAboutVersion = 10634;     // %1 = the version
inline constexpr int kAboutDescription = 10635;
inline constexpr int kDialogOk = 10636;  // "&OK" of the about box and topic dialog
inline constexpr int kDialogCancel = 10637;
inline constexpr int kSetupHint = 10638;  // the setup window's one line of guidance

}  // namespace fenno::str
