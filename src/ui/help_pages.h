#pragma once

// The Help menu's pages (the help index and the quick start guide), opened
// in the desktop's browser. They are looked for in the installed documentation folder
// (<prefix>/share/doc/fenno beside the program's bin folder) and then in the source
// tree's docs/ folder of a build that has not been installed.

#include <string>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"

namespace fenno {

inline constexpr const char* kHelpIndexPage = "index";
inline constexpr const char* kQuickStartPage = "quick-start";

// The path of page `name` (.html, else .md), or "" when it is not installed.
std::string FindHelpPage(const std::string& name);

// Opens the page, or says that it is not installed.
void OpenHelpPage(const std::string& name, const Edition& edition, const StringTable& strings,
                  Prompt& prompt);

}  // namespace fenno
