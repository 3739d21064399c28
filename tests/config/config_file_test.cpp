#include "config/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "config/config_input.h"
#include "config/config_samples.h"
#include "config/config_text_ids.h"
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
  StringTable strings_{GetParam()->kind, Language::English};
  RecordingPrompt prompt_;
  ScratchFolder folder_;
};

INSTANTIATE_TEST_SUITE_P(BothPrograms, ConfigFileTest,
                         ::testing::Values(&ComfennoEdition(), &NetfennoEdition()),
                         [](const auto& p) { return std::string(p.param->programName); });

TEST_P(ConfigFileTest, DefaultsFileHasTheDocumentedLines) {
  const std::string bytes = ConfigFileBytes(Defaults(), edition());
  const std::vector<std::string> lines = SplitLines(bytes);
  const size_t tcpLines = edition().hasTcpSettings ? 3 : 0;
  // The line section, an empty raw section, an empty DDETopic line and the delay.
  ASSERT_EQ(lines.size(), 1461 + tcpLines + 2);
  EXPECT_EQ(lines[0], edition().currentHeader);
  const std::vector<std::string> portLines(lines.begin() + 1, lines.begin() + 9);
  // Netfenno stores its TcpMode (0) where the baud index goes and the serial defaults after it.
  const std::string line3 = edition().hasTcpSettings ? " 0 " : " 6 ";
  EXPECT_EQ(portLines, (std::vector<std::string>{" 0 ", line3, " 1 ", " 2 ", " 0 ", " 0 ", " 4096 ",
                                                 " 1024 "}));
  EXPECT_EQ(lines[17 + tcpLines], " 44 ");       // Delimiter ","
  EXPECT_EQ(lines[280 + tcpLines], " 0");        // PreInputTranslation(0), no trailing space
  EXPECT_EQ(lines[1461 + tcpLines - 1], " 0 ");  // the last length
  EXPECT_EQ(lines[1461 + tcpLines], "");         // DDETopic
  EXPECT_EQ(lines[1462 + tcpLines], "1");        // InterCharDelay
}

TEST(ConfigFileLayout, NetfennoKeepsItsConnectionAfterLineNine) {
  Settings s = Settings::Defaults(NetfennoEdition(), "/home/ann");
  s.TcpMode = 1;
  s.TcpRemoteHost = "10.0.0.5";
  s.TcpRemotePort = "4001";
  s.TcpLocalPort = "5000";
  const std::vector<std::string> lines = SplitLines(ConfigFileBytes(s, NetfennoEdition()));
  EXPECT_EQ(lines[2], " 1 ");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 9, lines.begin() + 13),
            (std::vector<std::string>{"10.0.0.5", "4001", "5000", " 0 "}));
}

TEST(ConfigFileLayout, ItemEncodings) {
  Settings s = Settings::Defaults(ComfennoEdition(), "/home/ann");
  s.PreInputTranslation['a'] = "A";
  s.PreInputTranslation[21] = kVoidRecordEntry;
  s.PreInputTranslation[0] = kIgnoreEntry;
  s.EngineButtons = -1;
  s.Delimiter = '\t';
  s.AckString = "\r\n";
  s.DDETopic = "Scale";
  s.InterCharDelay = 20;
  const std::vector<std::string> lines = SplitLines(ConfigFileBytes(s, ComfennoEdition()));
  EXPECT_EQ(lines[1201], "-1 ");  // EngineButtons
  EXPECT_EQ(lines[17], " 9 ");    // Delimiter
  EXPECT_EQ(lines[280], "Ignore");
  EXPECT_EQ(lines[280 + 21], "Void Record");
  EXPECT_EQ(lines[280 + 'a'], " 65");
  EXPECT_EQ(lines[1346], " 2 ");  // length of AckString
  // The raw CR LF sits between the last length and the tail.
  EXPECT_EQ(lines[1461], "");
  EXPECT_EQ(lines[1462], "Scale");
  EXPECT_EQ(lines[1463], "20");
}

TEST_P(ConfigFileTest, WriteReadWriteGivesTheSameBytes) {
  for (const Settings& original : {Defaults(), RichSettings(edition())}) {
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

TEST_P(ConfigFileTest, RawTextsLongerThanAnIntegerReadBack) {
  Settings s = Defaults();
  s.AckString = testing::AllBytes();
  while (s.AckString.size() <= 70000) s.AckString += s.AckString;
  s.HotKeyString[49] = std::string(40000, '\n');
  const std::string path = folder_.File("long.cfg");
  ASSERT_TRUE(WriteConfigFile(path, s, edition(), strings_, prompt_));
  Settings read = Defaults();
  ASSERT_EQ(ReadConfigFile(path, read, edition()), ReadResult::Ok);
  EXPECT_TRUE(read == s);
}

TEST_P(ConfigFileTest, LinesEndingInLineFeedOnlyRead) {
  const Settings s = RichSettings(edition());
  const std::string bytes = ConfigFileBytes(s, edition());
  size_t rawSize = s.StartOfRecordChars.size() + s.EndOfRecordChars.size() + s.AckString.size() +
                   s.TimerString.size() + s.RecordPreamble.size();
  for (int i = 1; i <= kMaxFields; ++i)
    rawSize += s.FieldPostamble[i].size() + (i <= kOutputStrings ? s.ButtonString[i].size() : 0);
  for (const auto& text : s.HotKeyString) rawSize += text.size();
  const size_t tailSize = s.DDETopic.size() + 2 + std::to_string(s.InterCharDelay).size() + 2;
  const size_t rawStart = bytes.size() - tailSize - rawSize;
  auto lfOnly = [](std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
  };
  const std::string edited = lfOnly(bytes.substr(0, rawStart)) + bytes.substr(rawStart, rawSize) +
                             lfOnly(bytes.substr(rawStart + rawSize));
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
      {"", "Kept", 1},           {"Scale\r\n", "Scale", 1}, {"Scale", "Scale", 1},
      {"\r\n7\r\n", "", 7},      {"\r\n7", "", 7},          {"\r\n2.5\r\n", "", 3},
      {"\r\n12.49\r\n", "", 12}, {"\r\nfast\r\n", "", 1},   {"\r\n99999999999\r\n", "", 1},
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

TEST_P(ConfigFileTest, KeystrokeSpaceKeyIsStoredAsPlainSpace) {
  Settings s = Defaults();
  s.KeystrokeTranslation[32] = "{ }";
  Settings read = Defaults();
  read.KeystrokeTranslation[32] = "x";
  ASSERT_EQ(ReadConfigFile(folder_.Write("k.cfg", ConfigFileBytes(s, edition())), read, edition()),
            ReadResult::Ok);
  EXPECT_EQ(read.KeystrokeTranslation[32], " ");
}

TEST_P(ConfigFileTest, OldFileUpdatesWhatItHoldsAndKeepsTheRest) {
  Settings before = Defaults();
  before.StartSuspended = true;
  before.HotKeyAction[3] = 1;
  before.HotKeyCode[3] = 0x270;
  before.HotKeyString[3] =
      "\x1b"
      "P";
  before.FieldMathExpr[2] = "F1*2";
  const Settings file = RichSettings(edition());
  Settings read = before;
  const std::string path = folder_.Write("old.cfg", OldLayoutFile(file, edition()));
  ASSERT_EQ(ReadConfigFile(path, read, edition()), ReadResult::OldFileOk);
  const Settings expected = AfterOldFileRead(file, before);
  EXPECT_TRUE(read == expected);
  // Captions stay with the output string of the same number.
  EXPECT_EQ(read.ButtonCaption[1], file.ButtonCaption[1]);
  EXPECT_EQ(read.ButtonCaption[20], file.ButtonCaption[20]);
  EXPECT_EQ(read.Delimiter, '\0');
}

TEST_P(ConfigFileTest, HeaderCheck) {
  const bool tcp = edition().hasTcpSettings;
  Settings s = Defaults();
  s.PortIndex = tcp ? 0 : 3;
  const std::string good = folder_.Write("good.cfg", ConfigFileBytes(s, edition()));
  EXPECT_EQ(CheckConfigHeader(good, edition(), strings_, prompt_), tcp ? 0 : 3);
  const std::string old = folder_.Write("old.cfg", OldLayoutFile(s, edition()));
  EXPECT_EQ(CheckConfigHeader(old, edition(), strings_, prompt_), tcp ? 0 : 3);
  EXPECT_EQ(CheckConfigHeader("", edition(), strings_, prompt_), kConfigNameEmpty);
  EXPECT_EQ(CheckConfigHeader(folder_.File("missing.cfg"), edition(), strings_, prompt_),
            kConfigNotUsable);
  EXPECT_EQ(CheckConfigHeader(folder_.path(), edition(), strings_, prompt_), kConfigNotUsable);
  EXPECT_TRUE(prompt_.messages.empty()) << "missing and unreadable files are silent";

  const std::string header(edition().currentHeader);
  const Edition& other = tcp ? ComfennoEdition() : NetfennoEdition();
  const std::string notConfig[] = {
      "Software Fenno Version 3.00\r\n 0 \r\n",
      "",
      header,                                            // nothing after the header
      header + "\r\n\r\n",                               // no PortIndex
      header + "\r\n-1 \r\n",                            // negative PortIndex
      header + "\r\nCOM1\r\n",                           // not a number
      header + " \r\n 0 \r\n",                           // header with a trailing space
      std::string(other.currentHeader) + "\r\n 0 \r\n",  // the other program's file
      std::string(100000, 'x'),
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
  const size_t tcp = edition().hasTcpSettings ? 3 : 0;
  auto withLine = [&](size_t lineNumber, const std::string& text) {
    std::vector<std::string> lines = SplitLines(good);
    lines[lineNumber - 1] = text;
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
  };
  const std::pair<std::string, std::string> cases[] = {
      {"truncated line section", good.substr(0, good.size() / 2)},
      {"FieldCount 0", withLine(17 + tcp, " 0 ")},
      {"FieldCount 41", withLine(17 + tcp, " 41 ")},
      {"Integer beyond 16 bits", withLine(16 + tcp, " 40000 ")},
      {"Long beyond 32 bits", withLine(8, " 4294967296 ")},
      {"character code 256", withLine(18 + tcp, " 256 ")},
      {"negative code", withLine(540 + tcp, "-1 ")},
      {"pre-input code 300", withLine(300 + tcp, " 300")},
      {"pre-input number beyond any range", withLine(300 + tcp, std::string(40, '9'))},
      {"negative raw length", withLine(1347 + tcp, "-1 ")},
      {"raw text beyond the end", withLine(1347 + tcp, " 9 ")},
      {"huge raw length", withLine(1461 + tcp, " 2000000000 ")},
      {"not a number", withLine(12 + tcp, " 3x ")},
      {"fraction", withLine(12 + tcp, " 3.5 ")},
      {"unknown output method", withLine(11 + tcp, " 3 ")},
      {"negative field length", withLine(1051 + tcp, "-5 ")},
      {"unknown hot-key action", withLine(1207 + tcp, " 14 ")},
      {"nothing after the header", std::string(edition().currentHeader) + "\r\n"},
  };
  for (const auto& [what, bytes] : cases) {
    Settings read = RichSettings(edition());
    const Settings before = read;
    EXPECT_EQ(ReadConfigFile(folder_.Write("bad.cfg", bytes), read, edition()),
              ReadResult::Malformed)
        << what;
    EXPECT_TRUE(read == before) << what;
  }
  // PreInputTranslation(19) is on line 300.
  const struct {
    std::string what;
    std::string bytes;
    bool (*read)(const Settings&);
    bool serialOnly = false;
  } defined[] = {
      {"pre-input entry without a code", withLine(300 + tcp, "Ignored"),
       [](const Settings& s) { return s.PreInputTranslation[19] == std::string(1, '\0'); }},
      {"empty pre-input entry", withLine(300 + tcp, ""),
       [](const Settings& s) { return s.PreInputTranslation[19] == std::string(1, '\0'); }},
      {"pre-input code with text after it", withLine(300 + tcp, " 65abc"),
       [](const Settings& s) { return s.PreInputTranslation[19] == "A"; }},
      {"RecordTimeGap 300", withLine(12 + tcp, " 300 "),
       [](const Settings& s) { return s.RecordTimeGap == 255; }},
      {"RecordTimeGap 0", withLine(12 + tcp, " 0 "),
       [](const Settings& s) { return s.RecordTimeGap == 1; }},
      {"RecordTimeGap -1", withLine(12 + tcp, "-1 "),
       [](const Settings& s) { return s.RecordTimeGap == 1; }},
      {"BaudIndex 12 (the line opens at 9600 baud)", withLine(3, " 12 "),
       [](const Settings& s) { return s.BaudIndex == 12; }, true},
  };
  for (const auto& c : defined) {
    if (c.serialOnly && tcp) continue;
    Settings read = Defaults();
    EXPECT_EQ(ReadConfigFile(folder_.Write("odd.cfg", c.bytes), read, edition()), ReadResult::Ok)
        << c.what;
    EXPECT_TRUE(c.read(read)) << c.what;
  }
  Settings read = Defaults();
  EXPECT_EQ(ReadConfigFile(folder_.File("missing.cfg"), read, edition()), ReadResult::Unreadable);
  EXPECT_EQ(ReadConfigFile(folder_.path(), read, edition()), ReadResult::Unreadable);
}

TEST_P(ConfigFileTest, UnusualButSafeValuesAreKept) {
  Settings s = Defaults();
  s.EngineButtons = -1;
  s.TimerFlags = 0x7fff;
  s.HotKeyCode[0] = -32768;
  if (!edition().hasTcpSettings) {
    s.InputBufferSize = 1;
    s.OutputBufferSize = 2147483647;
  }
  s.InterCharDelay = -3;
  Settings read = Defaults();
  ASSERT_EQ(
      ReadConfigFile(folder_.Write("odd.cfg", ConfigFileBytes(s, edition())), read, edition()),
      ReadResult::Ok);
  EXPECT_TRUE(read == s);
}

TEST_P(ConfigFileTest, WriterRefusesWhatWouldNotReadBack) {
  struct Case {
    std::string setting;
    int textId;
    void (*change)(Settings&);
  };
  const std::vector<Case> cases = {
      {"FieldFormat(3)", str::kLineBreakInSetting, [](Settings& s) { s.FieldFormat[3] = "0.0\n"; }},
      {"KeystrokeTranslation(65)", str::kLineBreakInSetting,
       [](Settings& s) { s.KeystrokeTranslation[65] = "{ENTER}\r"; }},
      {"DDETopic", str::kLineBreakInSetting, [](Settings& s) { s.DDETopic = "a\r\nb"; }},
      {"FieldCount", str::kUnstorableValue, [](Settings& s) { s.FieldCount = 0; }},
      {"PreInputTranslation(7)", str::kUnstorableValue,
       [](Settings& s) { s.PreInputTranslation[7] = ""; }},
      {"DdeTranslation", str::kUnstorableValue, [](Settings& s) { s.DdeTranslation.pop_back(); }},
  };
  const std::string path = folder_.Write("keep.cfg", "previous contents");
  for (const Case& c : cases) {
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

TEST(ConfigFileWriter, NamesWhatCannotBeStored) {
  const Edition& net = NetfennoEdition();
  const std::pair<std::string, void (*)(Settings&)> cases[] = {
      {"TcpRemoteHost", [](Settings& s) { s.TcpRemoteHost = "a,b"; }},
      {"TcpLocalPort", [](Settings& s) { s.TcpLocalPort = " 5000"; }},
      {"HotKeyAction(3)", [](Settings& s) { s.HotKeyAction[3] = 8; }},  // Netfenno has 8 actions
      {"TimerString", [](Settings& s) { s.TimerString.assign(kMaxConfigFileBytes, 'x'); }},
  };
  for (const auto& [name, change] : cases) {
    Settings s = Settings::Defaults(net, "/home/ann");
    change(s);
    const auto problem = FindUnstorableSetting(s, net);
    ASSERT_TRUE(problem.has_value()) << name;
    EXPECT_EQ(problem->name, name);
    EXPECT_EQ(problem->textId, str::kUnstorableValue);
  }
}

TEST_P(ConfigFileTest, WriteErrors) {
  EXPECT_FALSE(WriteConfigFile("", Defaults(), edition(), strings_, prompt_));
  EXPECT_TRUE(prompt_.messages.empty());
  EXPECT_EQ(prompt_.beeps, 0);

  EXPECT_FALSE(WriteConfigFile(folder_.File("no/such/folder.cfg"), Defaults(), edition(), strings_,
                               prompt_));
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0].text, "File I/O Error");
  EXPECT_EQ(prompt_.messages[0].title, edition().programName);
  EXPECT_EQ(prompt_.beeps, 1);

  std::filesystem::create_directory(folder_.File("folder.cfg"));
  EXPECT_FALSE(
      WriteConfigFile(folder_.File("folder.cfg"), Defaults(), edition(), strings_, prompt_));
  EXPECT_TRUE(std::filesystem::is_directory(folder_.File("folder.cfg")));
  EXPECT_EQ(prompt_.messages.size(), 2u);

  if (::geteuid() == 0) return;  // permissions do not stop the superuser
  const std::string readOnly = folder_.Write("ro.cfg", "read-only");
  ::chmod(readOnly.c_str(), 0444);
  EXPECT_FALSE(WriteConfigFile(readOnly, Defaults(), edition(), strings_, prompt_));
  EXPECT_EQ(ReadWholeFile(readOnly), "read-only");
  EXPECT_EQ(prompt_.messages.size(), 3u);
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

}  // namespace
}  // namespace fenno
