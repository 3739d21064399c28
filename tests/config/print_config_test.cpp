#include "config/print_config.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace fenno {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(QuoteText, EscapesEveryByteOutsidePrintableAscii) {
  const std::pair<std::string, std::string> cases[] = {
      {"", R"("")"},
      {"General Number", R"("General Number")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"\r\n\t\\", R"("\r\n\t\\")"},
      {std::string("\0\x1f\x7f\x80\xff", 5), R"("\x00\x1F\x7F\x80\xFF")"},
      {" ~", R"(" ~")"},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(QuoteText(text), quoted);
}

TEST(PrintConfig, ListsEverySettingInFileOrder) {
  const Settings s = Settings::Defaults(ComfennoEdition(), "/home/ann");
  const std::vector<std::string> lines = Lines(PrintConfig(s, ComfennoEdition()));
  // Every stored item but the 125 raw lengths, which are printed as their texts.
  ASSERT_EQ(lines.size(), 1461u - 1 - 125 + 125 + 2);
  const std::vector<std::string> first(lines.begin(), lines.begin() + 10);
  EXPECT_EQ(first, (std::vector<std::string>{
                       "PortIndex = 0", "BaudIndex = 6", "ParityIndex = 1", "DataBitsIndex = 2",
                       "StopBitsIndex = 0", "FlowControl = 0", "InputBufferSize = 4096",
                       "OutputBufferSize = 1024", "BeepOnInput = 0", "OutputMethod = 0"}));
  EXPECT_EQ(lines[16], "Delimiter = \",\"");
  EXPECT_EQ(lines[19], "TargetSpecified = -1");
  EXPECT_EQ(lines[23 + 13], "KeystrokeTranslation(13) = \"{ENTER}\"");
  EXPECT_EQ(lines[23 + 256 + 65], "PreInputTranslation(65) = \"A\"");
  EXPECT_EQ(lines[23 + 512 + 10], "DdeTranslation(10) = \"\\x00\"");
  EXPECT_EQ(lines[23 + 1024], "ButtonCaption(1) = \"String1\"");
  EXPECT_EQ(lines[23 + 1024 + 3], "FieldFilter(21) = \"C\"");
  EXPECT_EQ(lines[lines.size() - 3], "HotKeyString(49) = \"\"");
  EXPECT_EQ(lines[lines.size() - 2], "DDETopic = \"\"");
  EXPECT_EQ(lines.back(), "InterCharDelay = 1");
}

TEST(PrintConfig, NetfennoListsItsConnectionInsteadOfTheSerialLine) {
  Settings s = Settings::Defaults(NetfennoEdition(), "/home/ann");
  s.TcpRemoteHost = "10.0.0.5";
  const std::string listing = PrintConfig(s, NetfennoEdition());
  const std::vector<std::string> lines = Lines(listing);
  EXPECT_EQ(
      std::vector<std::string>(lines.begin(), lines.begin() + 5),
      (std::vector<std::string>{"PortIndex = 0", "TcpMode = 0", "TcpRemoteHost = \"10.0.0.5\"",
                                "TcpRemotePort = \"\"", "TcpLocalPort = \"\""}));
  EXPECT_EQ(listing.find("BaudIndex"), std::string::npos);
}

}  // namespace
}  // namespace fenno
