#pragma once

#include <string>

#include "config/edition.h"

namespace fenno {

// `--command COMMAND [TOPIC]`: sends one command of the command language to the running
// program's engine over the session bus (the engine of TOPIC, or the only one running) and
// says on standard output whether it was accepted; problems go to standard error. Desktops
// without global hot keys bind a keyboard shortcut to this. Returns the exit status.
int SendCommandToRunningProgram(const Edition& edition, const std::string& command,
                                const std::string& topic, int argc, char** argv);

}  // namespace fenno
