#pragma once

#include <string>
#include <vector>

#include "config/edition.h"

namespace fenno {

// What the program was asked to do on its command line.
struct CommandLine {
  enum class Action {
    RunWindows,
    RunHeadless,
    PrintConfig,
    SendCommand,
    ShowHelp,
    ShowVersion,
    UsageError
  };
  Action action = Action::RunWindows;
  bool virtualMode = false;  // --virtual: the device is standard input/output
  std::string configPath;    // taken exactly as given; with --command, the topic
  std::string commandText;   // --command: one command of the command language
  std::string error;         // for UsageError: what was wrong
};

// Parses the arguments after the program name. A lone "/K" or "/k" is accepted and
// ignored, as older shortcuts pass it; paths keep their letter case.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const Edition& edition);

// Exit statuses of the programs.
inline constexpr int kExitOk = 0;
inline constexpr int kExitConfigError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPortError = 3;
// --command: the running program refused the command, or none could be asked.
inline constexpr int kExitCommandRefused = 4;
inline constexpr int kExitNoRunningProgram = 5;

}  // namespace fenno
