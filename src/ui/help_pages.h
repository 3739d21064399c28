#pragma once

// The Help menu's pages (the help index and the quick start guide), HTML files installed
// with the program and opened in the desktop's browser as file:// pages (no network needed).
// They live in <prefix>/share/fenno/help/<language>/ beside the program's bin folder; a
// build keeps the same layout in its own folder, so a built program finds them too. A page
// missing in the user's language is shown in English.

#include <string>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"

namespace fenno {

inline constexpr const char* kHelpIndexPage = "index";
inline constexpr const char* kQuickStartPage = "quick-start";

// The folder of the help pages relative to the program's own folder.
inline constexpr const char* kHelpFolderFromProgram = "../share/fenno/help";

// The path of page `name` (name.html) for `language` under `helpFolder`, else the English
// one, or "" when neither is there.
std::string FindHelpPage(const std::string& helpFolder, const std::string& name, Language language);

// Opens the page in the program's help folder, or says that it is not installed or that
// the desktop has no program to show it.
void OpenHelpPage(const std::string& name, const Edition& edition, const StringTable& strings,
                  Prompt& prompt);

}  // namespace fenno
