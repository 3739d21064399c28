#include "config/print_config.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "config/config_file.h"
#include "config/config_samples.h"

namespace fenno {
namespace {

using testing::ReadWholeFile;
using testing::ScratchFolder;

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

// Runs a built program with --print-config and collects what it wrote.
struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

ProgramRun RunProgram(const char* variable, const std::string& file, const ScratchFolder& folder) {
  const char* program = std::getenv(variable);
  ProgramRun run;
  if (!program) return run;
  const std::string command = "LANGUAGE= LC_ALL=C '" + std::string(program) + "' --print-config '" +
                              file + "' >'" + folder.File("out") + "' 2>'" + folder.File("err") +
                              "'";
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadWholeFile(folder.File("out"));
  run.err = ReadWholeFile(folder.File("err"));
  return run;
}

class PrintConfigProgram : public ::testing::TestWithParam<const Edition*> {
 protected:
  void SetUp() override {
    variable_ = GetParam()->hasTcpSettings ? "NETFENNO_BIN" : "COMFENNO_BIN";
    if (!std::getenv(variable_)) GTEST_SKIP() << variable_ << " is not set";
  }
  const Edition& edition() const { return *GetParam(); }
  ProgramRun PrintConfigOf(const std::string& path) { return RunProgram(variable_, path, folder_); }

  const char* variable_ = nullptr;
  ScratchFolder folder_;
};

INSTANTIATE_TEST_SUITE_P(BothPrograms, PrintConfigProgram,
                         ::testing::Values(&ComfennoEdition(), &NetfennoEdition()),
                         [](const auto& p) { return std::string(p.param->programName); });

TEST_P(PrintConfigProgram, PrintsAReadableFile) {
  const Settings s = testing::RichSettings(edition());
  const std::string path = folder_.Write("rich.cfg", ConfigFileBytes(s, edition()));
  const ProgramRun run = PrintConfigOf(path);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PrintConfig(s, edition()));
  EXPECT_EQ(run.err, "");
}

TEST_P(PrintConfigProgram, PrintsAnOldFileAndSaysItIsOld) {
  const Settings s = Settings::Defaults(edition(), "/home/ann");
  const std::string path = folder_.Write("old.cfg", testing::OldLayoutFile(s, edition()));
  const ProgramRun run = PrintConfigOf(path);
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("InterCharDelay = 1"), std::string::npos);
  EXPECT_NE(run.err.find("created with a previous version"), std::string::npos);
}

TEST_P(PrintConfigProgram, RefusesMissingAndInvalidFiles) {
  const Edition& other = edition().hasTcpSettings ? ComfennoEdition() : NetfennoEdition();
  const Settings s = Settings::Defaults(other, "/home/ann");
  const std::string bytes = ConfigFileBytes(Settings::Defaults(edition(), "/"), edition());
  const std::pair<std::string, std::string> cases[] = {
      {folder_.File("missing.cfg"), "cannot be opened"},
      {folder_.Write("other.cfg", ConfigFileBytes(s, other)), "is not a valid configuration file"},
      {folder_.Write("cut.cfg", bytes.substr(0, 5000)), "is not a valid configuration file"},
  };
  for (const auto& [path, message] : cases) {
    const ProgramRun run = PrintConfigOf(path);
    EXPECT_EQ(run.status, 1) << path;
    EXPECT_EQ(run.out, "") << path;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace fenno
