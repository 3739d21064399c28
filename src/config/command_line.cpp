#include "config/command_line.h"

#include <optional>

namespace fenno {
namespace {

CommandLine UsageError(std::string message) {
  CommandLine result;
  result.action = CommandLine::Action::UsageError;
  result.error = std::move(message);
  return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine result;
  bool headless = false;
  bool printConfig = false;
  std::vector<std::string> paths;
  std::optional<std::string> commandText;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      result.action = CommandLine::Action::ShowHelp;
      return result;
    }
    if (arg == "--version") {
      result.action = CommandLine::Action::ShowVersion;
      return result;
    }
    if (arg == "--headless")
      headless = true;
    else if (arg == "--virtual")
      result.virtualMode = true;
    else if (arg == "--print-config")
      printConfig = true;
    else if (arg == "--command") {
      if (i + 1 == args.size()) return UsageError("--command needs a command");
      commandText = args[++i];
    } else if (arg == "/K" || arg == "/k")
      continue;
    else if (arg.size() > 1 && arg[0] == '-' && arg != "--")
      return UsageError("unknown option " + arg);
    else if (arg != "--")
      paths.push_back(arg);
  }
  if (paths.size() > 1) return UsageError("more than one configuration file given");
  if (!paths.empty()) result.configPath = paths.front();

  if (commandText) {
    if (headless || printConfig || result.virtualMode)
      return UsageError("--command cannot be combined with other options");
    result.commandText = *commandText;
    result.action = CommandLine::Action::SendCommand;
  } else if (printConfig) {
    if (headless || result.virtualMode)
      return UsageError("--print-config cannot be combined with --headless or --virtual");
    if (result.configPath.empty()) return UsageError("--print-config needs a configuration file");
    result.action = CommandLine::Action::PrintConfig;
  } else if (headless) {
    if (result.configPath.empty()) return UsageError("--headless needs a configuration file");
    result.action = CommandLine::Action::RunHeadless;
  } else if (result.virtualMode) {
    return UsageError("--virtual needs --headless");
  }
  return result;
}

std::string UsageText(const Edition& edition) {
  const std::string name(edition.executableName);
  return "Usage: " + name +
         " [CONFIG]\n"
         "       " +
         name +
         " --headless [--virtual] CONFIG\n"
         "       " +
         name +
         " --print-config CONFIG\n"
         "       " +
         name +
         " --command COMMAND [TOPIC]\n"
         "\n"
         "Reads lines from an instrument on a " +
         std::string(edition.IsSerial() ? "serial port" : "TCP connection") +
         ", cuts them into records and fields,\n"
         "and delivers them as keystrokes, as live data items on D-Bus, or to a log file.\n"
         "\n"
         "  CONFIG            a configuration file (" +
         std::string(edition.configExtension) +
         "); it is activated at once\n"
         "  --headless        run the engine without windows; messages go to standard error\n"
         "  --virtual         with --headless: the device is standard input and output\n"
         "  --print-config    print every setting of CONFIG as Name = value\n"
         "  --command         send COMMAND (\"{PUSH(Tare)}\") to the running program over the\n"
         "                    session bus and say whether it was accepted; TOPIC chooses\n"
         "                    among several running engines\n"
         "  --help            show this text\n"
         "  --version         show the version\n"
         "\n"
         "Exit status: 0 normal end, 1 configuration missing or invalid, 2 usage error,\n"
         "3 the port could not be opened; with --command: 0 accepted, 4 refused, 5 no running\n"
         "program answered.\n";
}

}  // namespace fenno
