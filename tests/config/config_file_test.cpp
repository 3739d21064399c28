// The configuration file: its layout, the reader, the writer, the header check and the load
// procedure. Hostile bytes are the config reader fuzz target's; here are the cases with a
// defined answer.

#include "config/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "config/config_input.h"
#include "config/config_load.h"
#include "config/config_samples.h"
#include "config/config_text_ids.h"
#include "config/print_config.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::AfterOldFileRead;
using testing::OldLayoutFile;
using testing::ReadWholeFile;
using testing::RecordingPrompt;
using testing::RichSettings;
using testing::ScratchFolder;

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string_view::npos; start = end + 2)
    lines.emplace_back(bytes.substr(start, end - start));
  return lines;
}

class ConfigFileTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  const Edition& edition() const { return *GetParam(); }
  Settings Defaults() const { return Settings::Defaults(edition(), "/home/ann"); }
  // The three extra lines of Netfenno's connection come before every later item.
  size_t tcp() const { return edition().hasTcpSettings ? 3 : 0; }

  // Loads `path` into `before`, with flags that hold leftovers of an earlier session.
  LoadOutcome Load(const std::string& path, const Settings& before) {
    settings_ = before;
    working_.ConfigFileName = path;
    working_.ConfigLoaded = working_.ConfigModified = working_.SkipSavePrompt = true;
    return LoadConfiguration(settings_, working_, edition(), strings_, prompt_, "/home/ann");
  }

  StringTable strings_{GetParam()->kind, Language::English};
  RecordingPrompt prompt_;
  ScratchFolder folder_;
  Settings settings_;
  WorkingValues working_;
};

INSTANTIATE_TEST_SUITE_P(BothPrograms, ConfigFileTest,
                         ::testing::Values(&ComfennoEdition(), &NetfennoEdition()),
                         [](const auto& p) { return std::string(p.param->programName); });

TEST_P(ConfigFileTest, EachItemHasItsLine) {
  const size_t t = tcp();
  Settings s = Defaults();
  s.TcpMode = 1;  // Netfenno stores it where the baud index goes, the serial defaults after it
  s.TcpRemoteHost = "10.0.0.5";
  s.TcpRemotePort = "4001";
  s.TcpLocalPort = "5000";
  s.PreInputTranslation['a'] = "A";
  s.PreInputTranslation[21] = kVoidRecordEntry;
  s.PreInputTranslation[0] = kIgnoreEntry;
  s.EngineButtons = -1;
  s.Delimiter = '\t';
  s.AckString = "\r\n";  // the only raw text: its CR LF sits between the last length and the tail
  s.DDETopic = "Scale";
  s.InterCharDelay = 20;
  const std::vector<std::string> lines = SplitLines(ConfigFileBytes(s, edition()));
  ASSERT_EQ(lines.size(), 1461 + t + 3);
  const std::vector<std::string> port(lines.begin(), lines.begin() + 9);
  EXPECT_EQ(port, (std::vector<std::string>{std::string(edition().currentHeader), " 0 ",
                                            t ? " 1 " : " 6 ", " 1 ", " 2 ", " 0 ", " 0 ", " 4096 ",
                                            " 1024 "}));
  if (t) {
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 9, lines.begin() + 13),
              (std::vector<std::string>{"10.0.0.5", "4001", "5000", " 0 "}));
  }
  const std::pair<size_t, std::string> items[] = {
      {17, " 9 "},          {280, "Ignore"},    {281, " 1"},  // pre-input codes: no trailing space
      {301, "Void Record"}, {280 + 'a', " 65"}, {1201, "-1 "},  // EngineButtons
      {1346, " 2 "},        {1460, " 0 "},      {1461, ""},    {1462, "Scale"}, {1463, "20"},
  };
  for (const auto& [line, text] : items) EXPECT_EQ(lines[line + t], text) << line;
}

// Every record that can be stored reads back the same and writes the same bytes again: the
// defaults, every item changed with every byte it can hold, raw texts beyond an Integer's
// length, and values that are odd but safe.
TEST_P(ConfigFileTest, WriteReadWriteGivesTheSameBytes) {
  Settings longTexts = Defaults();
  longTexts.AckString = testing::AllBytes();
  while (longTexts.AckString.size() <= 70000) longTexts.AckString += longTexts.AckString;
  longTexts.HotKeyString[49] = std::string(40000, '\n');
  Settings odd = Defaults();
  odd.EngineButtons = -1;
  odd.TimerFlags = 0x7fff;
  odd.HotKeyCode[0] = -32768;
  if (!tcp()) {
    odd.InputBufferSize = 1;
    odd.OutputBufferSize = 2147483647;
  }
  odd.InterCharDelay = -3;
  for (const Settings& original : {Defaults(), RichSettings(edition()), longTexts, odd}) {
    const std::string path = folder_.File("a.cfg");
    ASSERT_TRUE(WriteConfigFile(path, original, edition(), strings_, prompt_));
    Settings read = Defaults();
    ASSERT_EQ(ReadConfigFile(path, read, edition()), ReadResult::Ok);
    EXPECT_TRUE(read == original);
    const std::string again = folder_.File("b.cfg");
    ASSERT_TRUE(WriteConfigFile(again, read, edition(), strings_, prompt_));
    EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(again));
  }
  EXPECT_TRUE(prompt_.messages.empty());
}

TEST_P(ConfigFileTest, LinesEndingInLineFeedOnlyRead) {
  const Settings s = RichSettings(edition());
  const std::string bytes = ConfigFileBytes(s, edition());
  // The raw texts follow the line section and hold CR LF of their own, which must stay.
  size_t rawStart = 0;
  for (size_t line = 0; line < 1461 + tcp(); ++line) rawStart = bytes.find("\r\n", rawStart) + 2;
  const size_t rawEnd =
      bytes.size() - s.DDETopic.size() - 2 - std::to_string(s.InterCharDelay).size() - 2;
  auto lfOnly = [](std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
  };
  const std::string edited = lfOnly(bytes.substr(0, rawStart)) +
                             bytes.substr(rawStart, rawEnd - rawStart) +
                             lfOnly(bytes.substr(rawEnd));
  Settings read = Defaults();
  ASSERT_EQ(ReadConfigFile(folder_.Write("lf.cfg", edited), read, edition()), ReadResult::Ok);
  EXPECT_TRUE(read == s);
}

TEST_P(ConfigFileTest, TheLastTwoLinesMayBeMissing) {
  const std::string full = ConfigFileBytes(Defaults(), edition());
  const std::string lineSection = full.substr(0, full.size() - 5);  // without "\r\n1\r\n"
  struct Case {
    std::string tail;
    std::string topic;
    int32_t delay;
  };
  const Case cases[] = {
      {"", "Kept", 1},        {"Scale", "Scale", 1},   {"\r\n7", "", 7},
      {"\r\n2.5\r\n", "", 3}, {"\r\nfast\r\n", "", 1}, {"\r\n99999999999\r\n", "", 1},
  };
  for (const Case& c : cases) {
    Settings read = Defaults();
    read.DDETopic = "Kept";
    read.InterCharDelay = 40;
    const std::string path = folder_.Write("tail.cfg", lineSection + c.tail);
    ASSERT_EQ(ReadConfigFile(path, read, edition()), ReadResult::Ok) << c.tail;
    EXPECT_EQ(read.DDETopic, c.topic) << c.tail;
    EXPECT_EQ(read.InterCharDelay, c.delay) << c.tail;
  }
}

TEST_P(ConfigFileTest, HeaderCheck) {
  Settings s = Defaults();
  s.PortIndex = tcp() ? 0 : 3;
  const std::string good = folder_.Write("good.cfg", ConfigFileBytes(s, edition()));
  EXPECT_EQ(CheckConfigHeader(good, edition(), strings_, prompt_), s.PortIndex);
  const std::string old = folder_.Write("old.cfg", OldLayoutFile(s, edition()));
  EXPECT_EQ(CheckConfigHeader(old, edition(), strings_, prompt_), s.PortIndex);
  EXPECT_EQ(CheckConfigHeader("", edition(), strings_, prompt_), kConfigNameEmpty);
  EXPECT_EQ(CheckConfigHeader(folder_.File("missing.cfg"), edition(), strings_, prompt_),
            kConfigNotUsable);
  EXPECT_EQ(CheckConfigHeader(folder_.path(), edition(), strings_, prompt_), kConfigNotUsable);
  EXPECT_TRUE(prompt_.messages.empty()) << "missing and unreadable files are silent";

  const std::string header(edition().currentHeader);
  const Edition& other = tcp() ? ComfennoEdition() : NetfennoEdition();
  const std::string notConfig[] = {
      "",
      header,                                            // nothing after the header
      header + "\r\n-1 \r\n",                            // negative PortIndex
      header + "\r\nCOM1\r\n",                           // not a number
      header + " \r\n 0 \r\n",                           // header with a trailing space
      std::string(other.currentHeader) + "\r\n 0 \r\n",  // the other program's file
  };
  for (const std::string& bytes : notConfig) {
    prompt_.messages.clear();
    const std::string path = folder_.Write("Bad File.DE3", bytes);
    EXPECT_EQ(CheckConfigHeader(path, edition(), strings_, prompt_), kConfigNotUsable) << bytes;
    ASSERT_EQ(prompt_.messages.size(), 1u) << bytes;
    EXPECT_NE(prompt_.messages[0].text.find(path), std::string::npos);
  }
}

// Damaged files are refused whole, and the record passed in stays exactly as it was. Values
// that the program defines a meaning for, even outside a setting's range, are read.
TEST_P(ConfigFileTest, DamagedFilesAreRefusedWholeAndDefinedValuesRead) {
  const std::string good = ConfigFileBytes(Defaults(), edition());
  const size_t t = tcp();
  auto withLine = [&](size_t lineNumber, const std::string& text) {
    std::vector<std::string> lines = SplitLines(good);
    lines[lineNumber - 1] = text;
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
  };
  const std::pair<std::string, std::string> cases[] = {
      {"FieldCount 0", withLine(17 + t, " 0 ")},
      {"FieldCount 41", withLine(17 + t, " 41 ")},
      {"Integer beyond 16 bits", withLine(16 + t, " 40000 ")},
      {"Long beyond 32 bits", withLine(8, " 4294967296 ")},
      {"character code 256", withLine(18 + t, " 256 ")},
      {"negative code", withLine(540 + t, "-1 ")},
      {"pre-input code 300", withLine(300 + t, " 300")},
      {"pre-input number beyond any range", withLine(300 + t, std::string(40, '9'))},
      {"negative raw length", withLine(1347 + t, "-1 ")},
      {"huge raw length", withLine(1461 + t, " 2000000000 ")},
      {"not a number", withLine(12 + t, " 3x ")},
      {"unknown output method", withLine(11 + t, " 3 ")},
      {"negative field length", withLine(1051 + t, "-5 ")},
      {"unknown hot-key action", withLine(1207 + t, " 14 ")},
  };
  for (const auto& [what, bytes] : cases) {
    Settings read = RichSettings(edition());
    const Settings before = read;
    EXPECT_EQ(ReadConfigFile(folder_.Write("bad.cfg", bytes), read, edition()),
              ReadResult::Malformed)
        << what;
    EXPECT_TRUE(read == before) << what;
  }
  // Each read as its listing line shows it. PreInputTranslation(19) is on line 300,
  // KeystrokeTranslation(32) on line 57; a BaudIndex of 12 opens the line at 9600 baud.
  std::vector<std::tuple<std::string, size_t, std::string>> defined = {
      {"Ignored", 300 + t, "PreInputTranslation(19) = \"\\x00\""},  // no code: code 0
      {" 65abc", 300 + t, "PreInputTranslation(19) = \"A\""},
      {"{ }", 57 + t, "KeystrokeTranslation(32) = \" \""},  // the space key of key macros
      {" 300 ", 12 + t, "RecordTimeGap = 255"},
      {" 0 ", 12 + t, "RecordTimeGap = 1"},
  };
  if (!t) defined.emplace_back(" 12 ", 3, "BaudIndex = 12");
  for (const auto& [text, line, listed] : defined) {
    Settings read = Defaults();
    read.KeystrokeTranslation[32] = "x";
    const std::string path = folder_.Write("odd.cfg", withLine(line, text));
    EXPECT_EQ(ReadConfigFile(path, read, edition()), ReadResult::Ok) << text;
    EXPECT_NE(PrintConfig(read, edition()).find("\n" + listed + "\n"), std::string::npos) << text;
  }
  Settings read = Defaults();
  EXPECT_EQ(ReadConfigFile(folder_.File("missing.cfg"), read, edition()), ReadResult::Unreadable);
  EXPECT_EQ(ReadConfigFile(folder_.path(), read, edition()), ReadResult::Unreadable);
}

// A cut anywhere before the tail leaves a required item missing, in either layout. Texts in
// every raw slot that ends a section make sure a cut there leaves something out.
TEST_P(ConfigFileTest, EveryCutBeforeTheTailIsRefused) {
  Settings s = Defaults();
  s.AckString = "\x06\r\n";
  s.StartOfRecordChars = "\x02";
  s.EndOfRecordChars = "\x03\r";
  s.ButtonString[1] = "P\r\n";
  s.FieldPostamble[1] = "{TAB}";
  s.HotKeyString[49] = "S\r\n";
  s.DDETopic = "Scale";
  s.InterCharDelay = 5;
  const Settings before = RichSettings(edition());
  for (const bool old : {false, true}) {
    const std::string bytes = old ? OldLayoutFile(s, edition()) : ConfigFileBytes(s, edition());
    const size_t complete = bytes.size() - std::string("Scale\r\n5\r\n").size();
    for (size_t cut = 0; cut <= bytes.size(); cut += cut < 80 || cut + 100 >= complete ? 1 : 7) {
      Settings read = before;
      const ReadResult result =
          ReadConfigFile(folder_.Write("cut.cfg", bytes.substr(0, cut)), read, edition());
      if (cut < complete) {
        EXPECT_EQ(result, ReadResult::Malformed) << "old " << old << " cut at " << cut;
        EXPECT_TRUE(read == before) << "old " << old << " cut at " << cut;
      } else {
        EXPECT_EQ(result, old ? ReadResult::OldFileOk : ReadResult::Ok) << cut;
      }
    }
  }
}

// Netfenno's connection cannot hold a comma or a leading space, and it has 8 hot-key actions.
TEST_P(ConfigFileTest, WriterRefusesWhatWouldNotReadBack) {
  const struct {
    std::string setting;
    int textId;
    void (*change)(Settings&);
    bool tcpOnly = false;
  } cases[] = {
      {"FieldFormat(3)", str::kLineBreakInSetting, [](Settings& s) { s.FieldFormat[3] = "0.0\n"; }},
      {"DDETopic", str::kLineBreakInSetting, [](Settings& s) { s.DDETopic = "a\r\nb"; }},
      {"FieldCount", str::kUnstorableValue, [](Settings& s) { s.FieldCount = 0; }},
      {"PreInputTranslation(7)", str::kUnstorableValue,
       [](Settings& s) { s.PreInputTranslation[7] = ""; }},
      {"DdeTranslation", str::kUnstorableValue, [](Settings& s) { s.DdeTranslation.pop_back(); }},
      {"TimerString", str::kUnstorableValue,
       [](Settings& s) { s.TimerString.assign(kMaxConfigFileBytes, 'x'); }},
      {"TcpRemoteHost", str::kUnstorableValue, [](Settings& s) { s.TcpRemoteHost = "a,b"; }, true},
      {"TcpLocalPort", str::kUnstorableValue, [](Settings& s) { s.TcpLocalPort = " 5000"; }, true},
      {"HotKeyAction(3)", str::kUnstorableValue, [](Settings& s) { s.HotKeyAction[3] = 8; }, true},
  };
  const std::string path = folder_.Write("keep.cfg", "previous contents");
  for (const auto& c : cases) {
    if (c.tcpOnly && !tcp()) continue;
    Settings s = Defaults();
    c.change(s);
    prompt_.messages.clear();
    EXPECT_FALSE(WriteConfigFile(path, s, edition(), strings_, prompt_)) << c.setting;
    ASSERT_EQ(prompt_.messages.size(), 1u) << c.setting;
    EXPECT_EQ(prompt_.messages[0].text, strings_.Format(c.textId, {c.setting}));
  }
  EXPECT_EQ(ReadWholeFile(path), "previous contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 1);
}

// A failed write says so (an empty name silently) and leaves what was there.
TEST_P(ConfigFileTest, WriteErrorsLeaveWhatWasThere) {
  std::filesystem::create_directory(folder_.File("folder.cfg"));
  const std::string readOnly = folder_.Write("ro.cfg", "read-only");
  ::chmod(readOnly.c_str(), 0444);
  std::vector<std::string> paths = {folder_.File("no/such/folder.cfg"), folder_.File("folder.cfg")};
  if (::geteuid() != 0) paths.push_back(readOnly);  // permissions do not stop the superuser
  EXPECT_FALSE(WriteConfigFile("", Defaults(), edition(), strings_, prompt_));
  EXPECT_TRUE(prompt_.messages.empty());
  for (const std::string& path : paths) {
    prompt_ = RecordingPrompt();
    EXPECT_FALSE(WriteConfigFile(path, Defaults(), edition(), strings_, prompt_)) << path;
    ASSERT_EQ(prompt_.messages.size(), 1u) << path;
    EXPECT_EQ(prompt_.messages[0].text, "File I/O Error");
    EXPECT_EQ(prompt_.messages[0].title, edition().programName);
    EXPECT_EQ(prompt_.beeps, 1);
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder_.File("folder.cfg")));
  EXPECT_EQ(ReadWholeFile(readOnly), "read-only");
}

TEST_P(ConfigFileTest, SavingThroughALinkKeepsLinkAndPermissions) {
  const std::string target = folder_.Write("target.cfg", "old");
  ::chmod(target.c_str(), 0640);
  const std::string link = folder_.File("link.cfg");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  ASSERT_TRUE(WriteConfigFile(link, Defaults(), edition(), strings_, prompt_));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadWholeFile(target), ConfigFileBytes(Defaults(), edition()));
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// What cannot be loaded gives the defaults (a damaged file none of its values) and forgets
// the earlier file; a file that is there but unusable is reported.
TEST_P(ConfigFileTest, WhatCannotBeLoadedGivesTheDefaults) {
  Settings fileSettings = Defaults();
  fileSettings.FieldCount = 7;
  const std::string bytes = ConfigFileBytes(fileSettings, edition());
  const struct {
    std::string path;
    LoadOutcome outcome;
    size_t messages;
  } cases[] = {
      {"", LoadOutcome::NoFileName, 0},
      {folder_.File("missing.cfg"), LoadOutcome::NotReadable, 0},
      {folder_.Write("x.cfg", "Software Fenno Version 3.00\r\n"), LoadOutcome::Invalid, 1},
      {folder_.Write("cut.cfg", bytes.substr(0, bytes.size() * 2 / 3)), LoadOutcome::Invalid, 1},
  };
  for (const auto& c : cases) {
    prompt_.messages.clear();
    EXPECT_EQ(Load(c.path, RichSettings(edition())), c.outcome) << c.path;
    EXPECT_TRUE(settings_ == Defaults());
    EXPECT_EQ(working_.ConfigFileName, "");
    EXPECT_FALSE(working_.ConfigLoaded || working_.ConfigModified || working_.SkipSavePrompt);
    ASSERT_EQ(prompt_.messages.size(), c.messages) << c.path;
    for (const auto& message : prompt_.messages)
      EXPECT_NE(message.text.find(c.path), std::string::npos);
  }
  EXPECT_EQ(working_.FormatNames[1], "General Number");
  EXPECT_EQ(working_.FormatDisplayNames[6], "Scientific");
}

TEST_P(ConfigFileTest, LoadingAnOldFileKeepsWhatItLacksAnnouncesItAndMarksItModified) {
  const Settings rich = RichSettings(edition());
  const std::string current = folder_.Write("good.cfg", ConfigFileBytes(rich, edition()));
  EXPECT_EQ(Load(current, Defaults()), LoadOutcome::Loaded);
  EXPECT_TRUE(settings_ == rich);
  EXPECT_EQ(working_.ConfigFileName, current);
  EXPECT_TRUE(working_.ConfigLoaded);
  EXPECT_FALSE(working_.ConfigModified || working_.SkipSavePrompt);
  EXPECT_TRUE(prompt_.messages.empty());

  Settings before = Defaults();
  before.StartSuspended = true;
  before.HotKeyAction[3] = 1;
  before.HotKeyCode[3] = 0x270;
  before.HotKeyString[3] = "\x1bP";
  before.FieldMathExpr[2] = "F1*2";
  const std::string old = folder_.Write("old.cfg", OldLayoutFile(rich, edition()));
  EXPECT_EQ(Load(old, before), LoadOutcome::LoadedOldFile);
  EXPECT_TRUE(settings_ == AfterOldFileRead(rich, before));
  EXPECT_TRUE(working_.ConfigLoaded && working_.ConfigModified);
  EXPECT_EQ(prompt_.beeps, 1);
  EXPECT_EQ(prompt_.messages.size(), 1u);
}

TEST(FormatNames, DisplayNamesComeFromTheUsersLanguage) {
  WorkingValues working;
  FillFormatNames(working, StringTable(EditionKind::Comfenno, Language::German));
  EXPECT_EQ(working.FormatNames[6], "Scientific");
  EXPECT_EQ(working.FormatDisplayNames[6], "Wissenschaftlich");
}

}  // namespace
}  // namespace fenno
