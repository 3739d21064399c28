#include "config/command_line.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineParsing, ModesPathsAndUsageErrors) {
  const struct {
    std::vector<std::string> args;
    Action action;
    std::string configPath;
  } cases[] = {
      {{}, Action::RunWindows, ""},
      {{"/home/ann/Lab Setup.DE3"}, Action::RunWindows, "/home/ann/Lab Setup.DE3"},
      {{"/k", "/data/MixedCase.de3"}, Action::RunWindows, "/data/MixedCase.de3"},  // an old switch
      {{"--headless", "--virtual", "a.DE3"}, Action::RunHeadless, "a.DE3"},
      {{"--print-config", "x"}, Action::PrintConfig, "x"},
      {{"x", "--help"}, Action::ShowHelp, ""},
      {{"--version"}, Action::ShowVersion, ""},
      // The command text may look like an option; what follows it is the topic.
      {{"--command", "-{PUSH(Tare)}", "COM1"}, Action::SendCommand, "COM1"},
      {{"--headless"}, Action::UsageError, ""},
      {{"--virtual", "a"}, Action::UsageError, "a"},
      {{"--print-config"}, Action::UsageError, ""},
      {{"a", "b"}, Action::UsageError, ""},
      {{"--bogus"}, Action::UsageError, ""},
      {{"--command"}, Action::UsageError, ""},
      {{"--headless", "--command", "{RESET}"}, Action::UsageError, ""},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.args);
    if (c.action != Action::UsageError && c.action != Action::ShowHelp) {
      EXPECT_EQ(line.configPath, c.configPath) << ::testing::PrintToString(c.args);
    }
  }
  EXPECT_TRUE(ParseCommandLine({"--headless", "--virtual", "a.DE3"}).virtualMode);
  EXPECT_EQ(ParseCommandLine({"--command", "-{PUSH(Tare)}"}).commandText, "-{PUSH(Tare)}");
}

}  // namespace
}  // namespace fenno
