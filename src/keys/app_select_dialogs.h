#pragma once

// The target application dialog (AppSelect) beyond what it stores (app_selection.h):
// what it refuses, the command line of a program chosen with Browse, and the titles of
// the windows open now that it offers to pick from.

#include <string>
#include <vector>

#include "base/dialog_check.h"
#include "keys/app_selection.h"
#include "keys/window_system.h"

namespace fenno {

// The title and command line are kept on one line of the configuration file: a line
// break in either is refused (fields "AppName", "AppCmd").
DialogCheck CheckAppSelection(const AppSelection& typed);

// The command line that starts a chosen program: the command line is split into words as
// a shell does, so a path with blanks or quotes is quoted to stay one word.
std::string CommandLineOfProgram(const std::string& path);

// The titles of the desktop's windows, topmost first, each once; this program's own
// windows and windows without a title are left out.
std::vector<std::string> OpenWindowTitles(WindowSystem& windows);

}  // namespace fenno
