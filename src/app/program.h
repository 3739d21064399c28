#pragma once

#include "config/edition.h"

namespace fenno {

// Runs one of the two programs: parses the command line and starts what it asks for.
// Returns the process exit status.
int RunProgram(const Edition& edition, int argc, char** argv);

}  // namespace fenno
