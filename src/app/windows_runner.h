#pragma once

#include "config/command_line.h"
#include "config/edition.h"

namespace fenno {

// The program with its windows: the setup window, and CONFIG (when given) loaded and
// activated in normal mode. Returns the exit status: 0 after a normal end, 1 when CONFIG
// is missing or invalid.
int RunWindows(const Edition& edition, const CommandLine& command, int argc, char** argv);

}  // namespace fenno
