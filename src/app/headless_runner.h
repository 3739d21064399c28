#pragma once

#include "config/command_line.h"
#include "config/edition.h"

namespace fenno {

// Runs the engine without windows: `--headless CONFIG`, optionally `--virtual` (the
// device's bytes come from standard input, what the engine sends to the device goes to
// standard output). Messages go to standard error and questions take their default
// answer. Returns the exit status.
int RunHeadless(const Edition& edition, const CommandLine& command, int argc, char** argv);

}  // namespace fenno
