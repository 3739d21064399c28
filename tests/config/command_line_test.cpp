#include "config/command_line.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineParsing, Modes) {
  EXPECT_EQ(ParseCommandLine({}).action, Action::RunWindows);
  const CommandLine windows = ParseCommandLine({"/home/ann/Lab Setup.DE3"});
  EXPECT_EQ(windows.action, Action::RunWindows);
  EXPECT_EQ(windows.configPath, "/home/ann/Lab Setup.DE3");

  const CommandLine headless = ParseCommandLine({"--headless", "--virtual", "a.DE3"});
  EXPECT_EQ(headless.action, Action::RunHeadless);
  EXPECT_TRUE(headless.virtualMode);
  EXPECT_EQ(headless.configPath, "a.DE3");

  EXPECT_EQ(ParseCommandLine({"--print-config", "x"}).action, Action::PrintConfig);
  EXPECT_EQ(ParseCommandLine({"x", "--help"}).action, Action::ShowHelp);
  EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::ShowVersion);

  // The command text may look like an option; what follows it is the topic.
  const CommandLine command = ParseCommandLine({"--command", "-{PUSH(Tare)}", "COM1"});
  EXPECT_EQ(command.action, Action::SendCommand);
  EXPECT_EQ(command.commandText, "-{PUSH(Tare)}");
  EXPECT_EQ(command.configPath, "COM1");
}

TEST(CommandLineParsing, OldSwitchIsIgnoredAndPathKeepsItsCase) {
  const CommandLine line = ParseCommandLine({"/k", "/data/MixedCase.de3"});
  EXPECT_EQ(line.action, Action::RunWindows);
  EXPECT_EQ(line.configPath, "/data/MixedCase.de3");
}

TEST(CommandLineParsing, UsageErrors) {
  EXPECT_EQ(ParseCommandLine({"--headless"}).action, Action::UsageError);
  EXPECT_EQ(ParseCommandLine({"--virtual", "a"}).action, Action::UsageError);
  EXPECT_EQ(ParseCommandLine({"--print-config"}).action, Action::UsageError);
  EXPECT_EQ(ParseCommandLine({"a", "b"}).action, Action::UsageError);
  EXPECT_EQ(ParseCommandLine({"--bogus"}).action, Action::UsageError);
  EXPECT_EQ(ParseCommandLine({"--command"}).action, Action::UsageError);
  EXPECT_EQ(ParseCommandLine({"--headless", "--command", "{RESET}"}).action, Action::UsageError);
}

}  // namespace
}  // namespace fenno
