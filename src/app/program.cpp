#include "app/program.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_sender.h"
#include "app/headless_runner.h"
#include "app/windows_runner.h"
#include "config/command_line.h"
#include "config/print_config.h"
#include "fenno_version.h"

namespace fenno {
namespace {

void Print(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

int RunProgram(const Edition& edition, int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const CommandLine command = ParseCommandLine(args);
  switch (command.action) {
    case CommandLine::Action::ShowHelp:
      Print(stdout, UsageText(edition));
      return kExitOk;
    case CommandLine::Action::ShowVersion:
      Print(stdout, std::string(edition.executableName) + " " + kFennoVersion + "\n");
      return kExitOk;
    case CommandLine::Action::UsageError:
      Print(stderr,
            std::string(edition.executableName) + ": " + command.error + "\n" + UsageText(edition));
      return kExitUsage;
    case CommandLine::Action::PrintConfig:
      return RunPrintConfig(edition, command.configPath);
    case CommandLine::Action::SendCommand:
      return SendCommandToRunningProgram(edition, command.commandText, command.configPath, argc,
                                         argv);
    case CommandLine::Action::RunHeadless:
      return RunHeadless(edition, command, argc, argv);
    case CommandLine::Action::RunWindows:
      break;
  }
  return RunWindows(edition, command, argc, argv);
}

}  // namespace fenno
