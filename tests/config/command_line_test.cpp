// What the command line asks for, and the listing --print-config gives.

#include "config/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "config/print_config.h"

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
      {{"/k", "/data/Lab Setup.de3"}, Action::RunWindows, "/data/Lab Setup.de3"},  // an old switch
      {{"--headless", "--virtual", "a.DE3"}, Action::RunHeadless, "a.DE3"},
      {{"--print-config", "x"}, Action::PrintConfig, "x"},
      {{"x", "--help"}, Action::ShowHelp, ""},
      {{"--version"}, Action::ShowVersion, ""},
      // The command text may look like an option; what follows it is the topic.
      {{"--command", "-{PUSH(Tare)}", "COM1"}, Action::SendCommand, "COM1"},
      {{"--headless"}, Action::UsageError, ""},
      {{"--print-config"}, Action::UsageError, ""},
      {{"--virtual", "a"}, Action::UsageError, "a"},
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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(QuoteText, EscapesEveryByteOutsidePrintableAscii) {
  const std::pair<std::string, std::string> cases[] = {
      {"", R"("")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"\r\n\t\\", R"("\r\n\t\\")"},
      {std::string("\0\x1f\x7f\x80\xff", 5), R"("\x00\x1F\x7F\x80\xFF")"},
      {" ~", R"(" ~")"},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(QuoteText(text), quoted);
}

// Every stored item but the 125 raw lengths, which are printed as their texts, in file order;
// Netfenno lists its connection instead of the serial line.
TEST(PrintConfig, ListsEverySettingInFileOrder) {
  Settings s = Settings::Defaults(ComfennoEdition(), "/home/ann");
  s.KeystrokeTranslation[13] = "{ENTER}";
  s.FieldFilter[21] = "N";
  s.HotKeyString[49] = "\x1b";
  s.InterCharDelay = 7;
  const std::vector<std::string> lines = Lines(PrintConfig(s, ComfennoEdition()));
  ASSERT_EQ(lines.size(), 1461u - 1 - 125 + 125 + 2);
  const std::pair<size_t, std::string> items[] = {
      {0, "PortIndex = 0"},
      {1, "BaudIndex = 6"},
      {16, "Delimiter = \",\""},
      {19, "TargetSpecified = -1"},
      {23 + 13, "KeystrokeTranslation(13) = \"{ENTER}\""},
      {23 + 512 + 10, "DdeTranslation(10) = \"\\x00\""},
      {23 + 1024 + 3, "FieldFilter(21) = \"N\""},
      {lines.size() - 3, "HotKeyString(49) = \"\\x1B\""},
      {lines.size() - 1, "InterCharDelay = 7"},
  };
  for (const auto& [line, text] : items) EXPECT_EQ(lines[line], text) << line;

  Settings net = Settings::Defaults(NetfennoEdition(), "/home/ann");
  net.TcpRemoteHost = "10.0.0.5";
  const std::string listing = PrintConfig(net, NetfennoEdition());
  const std::vector<std::string> netLines = Lines(listing);
  EXPECT_EQ(
      std::vector<std::string>(netLines.begin(), netLines.begin() + 5),
      (std::vector<std::string>{"PortIndex = 0", "TcpMode = 0", "TcpRemoteHost = \"10.0.0.5\"",
                                "TcpRemotePort = \"\"", "TcpLocalPort = \"\""}));
  EXPECT_EQ(listing.find("BaudIndex"), std::string::npos);
}

// Out-of-range indexes open the line at 9600 baud.
TEST(BaudTable, IndexAndRate) {
  EXPECT_EQ(BaudRateOfIndex(11), 115200);
  EXPECT_EQ(BaudRateOfIndex(12), 9600);
  EXPECT_EQ(BaudRateOfIndex(-1), 9600);
  EXPECT_EQ(BaudIndexOfRate(19200), 8);
  EXPECT_EQ(BaudIndexOfRate(12345), -1);
  EXPECT_EQ(PortNameOf(9), "COM10");
}

}  // namespace
}  // namespace fenno
