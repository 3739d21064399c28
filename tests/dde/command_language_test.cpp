#include "dde/command_language.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "config/config_file.h"
#include "dde/fake_live_data.h"
#include "dde/link_menu.h"
#include "support/fake_clock.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;
using testing::FakeClipboard;
using testing::FakeEngineControl;
using testing::FakeLinks;

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
  return text;
}

struct CommandCase {
  std::string command;
  bool accepted;
  std::string queued;  // what reaches the device queue
  std::string calls;   // engine operations, in order
};

class CommandLanguageTest : public ::testing::Test {
 protected:
  CommandLanguageTest()
      : engine(Settings::Defaults(ComfennoEdition(), "/tmp")),
        strings(EditionKind::Comfenno, Language::English),
        regional(RegionalSettings::English()) {
    folder = fs::temp_directory_path() / ("fenno-commands-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    engine.current.FieldCount = 3;
  }
  ~CommandLanguageTest() override { fs::remove_all(folder); }

  CommandLanguage& Make(const Edition& edition = ComfennoEdition(),
                        ActivationMode mode = ActivationMode::Normal,
                        bool clipboardPresent = true) {
    engine.mode = mode;
    menu =
        std::make_unique<LinkMenu>(engine.current, clipboardPresent ? &clipboard : nullptr, &links,
                                   LinkMenu::Requests{[this] { requests.push_back("command"); },
                                                      [this] { requests.push_back("buffer"); }},
                                   std::string(edition.programName), engine.topic);
    language = std::make_unique<CommandLanguage>(
        CommandServices{engine, edition, clock, regional, strings, prompt, working, menu.get()});
    return *language;
  }
  bool Run(std::string_view command) { return language->Execute(command); }
  void ExpectCases(const std::vector<CommandCase>& cases) {
    for (const CommandCase& c : cases) {
      engine.queue.clear();
      engine.calls.clear();
      EXPECT_EQ(Run(c.command), c.accepted) << c.command;
      EXPECT_EQ(engine.queue, c.queued) << c.command;
      EXPECT_EQ(Calls(), c.calls) << c.command;
    }
  }
  std::string Calls() const { return Joined(engine.calls); }
  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  std::string WriteConfig(const std::string& name, const Settings& settings) {
    return WriteFile(name, ConfigFileBytes(settings, ComfennoEdition()));
  }

  FakeEngineControl engine;
  StringTable strings;
  RegionalSettings regional;
  testing::FakeClock clock;
  testing::RecordingPrompt prompt;
  WorkingValues working;
  FakeClipboard clipboard;
  FakeLinks links;
  std::vector<std::string> requests;
  std::unique_ptr<LinkMenu> menu;
  std::unique_ptr<CommandLanguage> language;
  fs::path folder;
};

TEST_F(CommandLanguageTest, NormalisingBlanksCaseBracketsAndTrailingText) {
  Make();
  ExpectCases({
      {"  {baud9600}  ", true, "", "baud 9600"},
      {"{BEEP}\r\n", true, "", "beep"},
      {"[BEEP]", true, "", "beep"},
      {"[beep}", true, "", "beep"},
      {"{Beep] and more", true, "", "beep"},
      {"", true, "", ""},
      {"    ", true, "", ""},
      {"{BEEP}{BEEP}", false, "", ""},
      {"BEEP", false, "", ""},
      {"\r\n", false, "", ""},
      {"\t{BEEP}", false, "", ""},  // only spaces are blanks
      {"{ BEEP}", false, "", ""},
      {"{STOPBITS1.5}", true, "", "stop bits 1"},
      {"{parityspace}", true, "", "parity 4"},
      {"{DATABITS5}", true, "", "data bits 5"},
      {"{DATABITS9}", false, "", ""},
  });
}

TEST_F(CommandLanguageTest, SendCommandsTakeTheirArgumentAsSent) {
  Make();
  ExpectCases({
      {"{SEND(Hello)}", true, "Hello", ""},
      {"  {send( a B )}\r\n", true, " a B ", ""},
      {"{SEND()}", false, "", ""},
      {"{SEND(x)}", true, "x", ""},
      {"{SEND(a}b)}", true, "a}b", ""},
      {"{SENDOUT('AB'13,10)}", true, "AB\r\n", ""},
      {"{SENDOUT(65 66)}", true, "AB", ""},
      {"{SENDOUT(300)}", true, ",", ""},
      {"{SENDOUT('a'b)}", true, "a", ""},
      {"{SENDOUT(1'2'3)}", true,
       "\x01"
       "2\x03",
       ""},
      {"{SENDOUT('a''b')}", true, "ab", ""},
      {"{SENDOUT(65;;;66)}", true, "AB", ""},
      {"{SENDOUT('')}", true, "", ""},
      {"{SENDOUT(0)}", true, std::string(1, '\0'), ""},
      {"{SENDOUT(99999999999999999999999)}", true, "\xff", ""},
      {"{SENDOUT()}", false, "", ""},
      {"{SENDCODE(13)}", true, "\r", ""},
      {"{SENDCODE(&H41)}", true, "A", ""},
      {"{SENDCODE(0)}", true, std::string(1, '\0'), ""},
      {"{SENDCODE(254.5)}", true, "\xfe", ""},
      {"{SENDCODE(255.5)}", false, "", ""},  // rounds to 256
      {"{SENDCODE(256)}", false, "", ""},
      {"{SENDCODE(-1)}", false, "", ""},
      {"{SENDCODE(1E999)}", false, "", ""},
      {"{SENDCODE()}", false, "", ""},
      {"{SENDDATE(yyyy-mm-dd hh:nn:ss)}", true, "2026-12-05 14:03:09", ""},
      {"{SENDDATE(\"unclosed)}", false, "", ""},
  });
}

TEST_F(CommandLanguageTest, TimerCommands) {
  Make();
  engine.current.TimerInterval = 1000;
  ExpectCases({
      {"{TIMER-ON}", true, "", "toggle timed output"},
      {"{TIMER-ON}", true, "", ""},
      {"{TIMER-OFF}", true, "", "toggle timed output"},
      {"{TIMER-OFF}", true, "", ""},
      {"{TIMERINTERVAL=0}", false, "", ""},
      {"{TIMERINTERVAL=00}", true, "", "interval 0"},
      {"{TIMERINTERVAL=1000}", true, "", "interval 1000"},
      {"{TIMERINTERVAL=-5}", true, "", "interval -5"},
      {"{TIMERINTERVAL=2.5E3}", true, "", "interval 2500"},
      {"{TIMERINTERVAL=3E9}", false, "", ""},
  });
  // Without an interval timed output is switched on all the same; it idles until one is set.
  engine.current.TimerInterval = 0;
  ExpectCases({{"{TIMER-ON}", true, "", "toggle timed output"}});
  EXPECT_TRUE(Run("{TIMERSTRING='Go'13}"));
  EXPECT_EQ(engine.current.TimerString, "Go\r");
  EXPECT_FALSE(Run("{TIMERSTRING=x}"));
  EXPECT_EQ(engine.current.TimerString, "Go\r");
}

TEST_F(CommandLanguageTest, RunStateCommandsActOnlyWhenTheirConditionHolds) {
  Make();
  ExpectCases({
      {"{RESUME}", true, "", ""},
      {"{RESUME1}", true, "", ""},
      {"{SUSPEND}", true, "", "toggle suspend"},
      {"{SUSPEND}", true, "", ""},
      {"{RESUME1}", true, "", "resume one"},
      {"{SUSPEND}", true, "", "toggle suspend"},
      {"{RESUME}", true, "", "toggle suspend"},
      {"{RESET}", true, "", "reset"},
      {"{CLEAR}", true, "", "clear"},
      {"{APPNORMAL}", true, "", "show normal"},
      {"{APPMINIMIZE}", true, "", "minimize"},
      {"{APPEXIT}", true, "", "exit"},
  });
  EXPECT_TRUE(Run("{STRIPCRLF-OFF}"));
  EXPECT_FALSE(engine.current.StripCrLf);
  EXPECT_TRUE(Run("{stripcrlf-on}"));
  EXPECT_TRUE(engine.current.StripCrLf);
}

TEST_F(CommandLanguageTest, LineCommandsInNormalAndVirtualMode) {
  const std::vector<std::string> lineCommands = {
      "{BREAK}", "{TOGGLEDTR}", "{DTR=ON}", "{DTR=OFF}", "{RTS=ON}", "{RTS=OFF}", "{BAUD115200}"};
  for (const ActivationMode mode : {ActivationMode::Normal, ActivationMode::Virtual}) {
    Make(ComfennoEdition(), mode);
    for (const std::string& command : lineCommands) EXPECT_TRUE(Run(command)) << command;
  }
  // The buttons' names reach the lines only where there is a port.
  Make(ComfennoEdition(), ActivationMode::Normal);
  engine.calls.clear();
  EXPECT_TRUE(Run("{PUSH(dtr~)}"));
  EXPECT_TRUE(Run("{PUSH(Break)}"));
  EXPECT_EQ(Calls(), "dtr pulse; break");
  Make(ComfennoEdition(), ActivationMode::Virtual);
  engine.calls.clear();
  EXPECT_FALSE(Run("{PUSH(DTR~)}"));
  EXPECT_FALSE(Run("{PUSH(BREAK)}"));
  EXPECT_EQ(Calls(), "");
}

TEST_F(CommandLanguageTest, NetfennoHasNoSerialLineCommands) {
  Make(NetfennoEdition());
  for (const std::string command :
       {"{BAUD9600}", "{PARITYNONE}", "{DATABITS8}", "{STOPBITS1}", "{BREAK}", "{TOGGLEDTR}",
        "{DTR=ON}", "{DTR=OFF}", "{RTS=ON}", "{RTS=OFF}", "{TIMERSTRING='A'}", "{PUSH(DTR~)}",
        "{PUSH(BREAK)}"})
    EXPECT_FALSE(Run(command)) << command;
  EXPECT_EQ(Calls(), "");
  engine.current.ButtonCaption[2] = "Break";
  EXPECT_TRUE(Run("{PUSH(BREAK)}"));
  EXPECT_EQ(Calls(), "push 2");
  EXPECT_TRUE(Run("{SEND(x)}"));
  EXPECT_TRUE(Run("{BEEP}"));
}

TEST_F(CommandLanguageTest, PushFindsTheFirstButtonByCaptionIgnoringCase) {
  Make();
  engine.current.ButtonCaption[3] = "Start";
  engine.current.ButtonCaption[5] = "START";
  engine.current.ButtonCaption[4] = "Zero";
  engine.current.ButtonCaption[6] = "Caf\xE9";
  ExpectCases({
      {"{PUSH(start)}", true, "", "push 3"},
      {"{push(zero)}", true, "", "push 4"},
      {"{PUSH(CAF\xC9)}", true, "", "push 6"},
      {"{PUSH(stop)}", false, "", ""},
      {"{PUSH()}", false, "", ""},
  });
}

TEST_F(CommandLanguageTest, CopyCommandsPutTheLinkAndTheText) {
  Make();
  engine.fields[1] = "12.5";
  engine.fields[2] = "7";
  engine.recordNumber = "42";
  engine.dateTime = "05.12.2026";
  EXPECT_TRUE(Run("{COPYFIELD(1)}"));
  EXPECT_EQ(clipboard.link, "Comfenno|COM1!Field(1)");
  EXPECT_EQ(clipboard.text, "12.5");
  EXPECT_TRUE(Run("{COPYFIELD(2.5)}"));  // halves go to the even number
  EXPECT_EQ(clipboard.link, "Comfenno|COM1!Field(2)");
  EXPECT_TRUE(Run("{COPYRECNUM}"));
  EXPECT_EQ(clipboard.link, "Comfenno|COM1!RecordNumber");
  EXPECT_EQ(clipboard.text, "42");
  EXPECT_TRUE(Run("{copydate}"));
  EXPECT_EQ(clipboard.link, "Comfenno|COM1!DateTime");
  EXPECT_EQ(clipboard.text, "05.12.2026");
  for (const std::string command : {"{COPYFIELD(0)}", "{COPYFIELD(4)}", "{COPYFIELD(-1)}",
                                    "{COPYFIELD(40000)}", "{COPYFIELD(x)}", "{COPYFIELD()}"})
    EXPECT_FALSE(Run(command)) << command;
  EXPECT_EQ(clipboard.link, "Comfenno|COM1!DateTime");

  Make(NetfennoEdition());
  EXPECT_TRUE(Run("{COPYFIELD(3)}"));
  EXPECT_EQ(clipboard.link, "Netfenno|COM1!Field(3)");
}

TEST_F(CommandLanguageTest, WithoutAClipboardTheCopyAndPasteCommandsAreRefused) {
  Make(ComfennoEdition(), ActivationMode::Normal, false);
  for (const std::string command :
       {"{COPYFIELD(1)}", "{COPYDATE}", "{COPYRECNUM}", "{PASTE-COMMAND}", "{PASTE-BUFFER}"})
    EXPECT_FALSE(Run(command)) << command;
}

TEST_F(CommandLanguageTest, LinkCommandsFollowTheEditMenusEnabledStates) {
  Make();
  for (const std::string command : {"{PASTE-COMMAND}", "{REFRESH-COMMAND}", "{TERMINATE-COMMAND}",
                                    "{PASTE-BUFFER}", "{REFRESH-BUFFER}", "{TERMINATE-BUFFER}"})
    EXPECT_FALSE(Run(command)) << command;
  EXPECT_TRUE(requests.empty());

  clipboard.link = "Sheet|Lab!R1C1";
  EXPECT_FALSE(Run("{PASTE-COMMAND}"));  // the link alone is not enough: plain text too
  clipboard.text = "{BEEP}";
  EXPECT_TRUE(Run("{PASTE-COMMAND}"));
  EXPECT_EQ(engine.current.CommandLinkApp, "Sheet");
  EXPECT_EQ(engine.current.CommandLinkTopic, "Lab");
  EXPECT_EQ(engine.current.CommandLinkItem, "R1C1");
  EXPECT_TRUE(Run("{REFRESH-COMMAND}"));
  clipboard.link = "Logger|Out";
  EXPECT_TRUE(Run("{PASTE-BUFFER}"));
  EXPECT_EQ(engine.current.BufferLinkTopic, "Out");
  EXPECT_EQ(engine.current.BufferLinkItem, "");
  EXPECT_EQ(Joined(requests), "command; command; buffer");

  links.commandActive = true;
  EXPECT_TRUE(Run("{TERMINATE-COMMAND}"));
  EXPECT_FALSE(links.commandActive);
  EXPECT_FALSE(Run("{TERMINATE-BUFFER}"));
}

TEST_F(CommandLanguageTest, SendFileQueuesTheBytesOrRefusesWithNothingQueued) {
  Make();
  const std::string bytes("A\0B\r\n\xff", 6);
  const std::string path = WriteFile("send.bin", bytes);
  EXPECT_TRUE(Run("{SENDFILE(" + path + ")}"));
  EXPECT_EQ(engine.queue, bytes);
  EXPECT_TRUE(Run("{SENDFILE(" + WriteFile("empty", "") + ")}"));
  EXPECT_EQ(engine.queue, bytes);

  engine.queue.clear();
  EXPECT_FALSE(Run("{SENDFILE(" + (folder / "missing").string() + ")}"));
  EXPECT_FALSE(Run("{SENDFILE(" + folder.string() + ")}"));
  // The path keeps its letter case.
  EXPECT_FALSE(Run("{SENDFILE(" + (folder / "SEND.BIN").string() + ")}"));
  // A named pipe nobody writes to is refused at once instead of stalling the program.
  const std::string fifo = (folder / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(Run("{SENDFILE(" + fifo + ")}"));
  EXPECT_EQ(engine.queue, "");

  // The file must fit beside what is already queued.
  engine.queue.assign(CommandLanguage::kMaxQueuedFileBytes - 6, 'q');
  EXPECT_TRUE(Run("{SENDFILE(" + path + ")}"));
  EXPECT_EQ(engine.queue.size(), static_cast<size_t>(CommandLanguage::kMaxQueuedFileBytes));
  EXPECT_FALSE(Run("{SENDFILE(" + path + ")}"));
  EXPECT_EQ(engine.queue.size(), static_cast<size_t>(CommandLanguage::kMaxQueuedFileBytes));
}

TEST_F(CommandLanguageTest, ConfigLoadsAFileForTheSamePortAndRestartsTheEngine) {
  Make();
  Settings other = engine.current;
  other.FieldCount = 7;
  other.AckString = "ok";
  const std::string path = WriteConfig("Next.DE3", other);
  engine.insideTick = true;
  EXPECT_TRUE(Run("{config(" + path + ")}"));
  // Nothing changes in the middle of a tick.
  EXPECT_EQ(engine.current.FieldCount, 3);
  EXPECT_EQ(Calls(), "");
  engine.EndTick();
  EXPECT_EQ(engine.current.FieldCount, 7);
  EXPECT_EQ(engine.current.AckString, "ok");
  EXPECT_EQ(working.ConfigFileName, path);
  EXPECT_TRUE(working.ConfigLoaded);
  EXPECT_EQ(Calls(), "restart");
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(CommandLanguageTest, ConfigIsRefusedForAnotherPortABadFileOrVirtualMode) {
  Make();
  Settings other = engine.current;
  other.PortIndex = 4;
  other.FieldCount = 9;
  const std::string otherPort = WriteConfig("Port5.DE3", other);
  EXPECT_FALSE(Run("{CONFIG(" + otherPort + ")}"));
  EXPECT_TRUE(prompt.messages.empty());

  EXPECT_FALSE(Run("{CONFIG(" + WriteFile("junk.DE3", "junk\r\n") + ")}"));
  ASSERT_EQ(prompt.messages.size(), 1u);  // "not a configuration file"

  // A valid header over a damaged body: refused, nothing changed, and said so.
  std::string damaged = ConfigFileBytes(engine.current, ComfennoEdition());
  damaged.resize(damaged.size() / 3);
  EXPECT_FALSE(Run("{CONFIG(" + WriteFile("cut.DE3", damaged) + ")}"));
  EXPECT_EQ(prompt.messages.size(), 2u);

  const std::string same = WriteConfig("Same.DE3", engine.current);
  Make(ComfennoEdition(), ActivationMode::Virtual);
  EXPECT_FALSE(Run("{CONFIG(" + same + ")}"));
  EXPECT_EQ(engine.current.FieldCount, 3);
  EXPECT_EQ(Calls(), "");
}

// A refused command changes nothing; blanks around a command and line ends after it never
// change what it does. (Random and mutated commands are the command language fuzz target's.)
TEST_F(CommandLanguageTest, BlanksAroundACommandChangeNothingAndARefusalDoesNothing) {
  Make();
  engine.current.ButtonCaption[1] = "Go";
  engine.current.TimerInterval = 500;
  for (const std::string command :
       {"{BAUD9600}", "{SEND(abc)}", "{SENDOUT('x'13)}", "{TIMERSTRING='t'}", "{SENDCODE(65)}",
        "{SENDDATE(hh:nn)}", "{PUSH(GO)}", "{COPYFIELD(2)}", "{TIMERINTERVAL=50}", "{SUSPEND}",
        "[RESET]", "{STRIPCRLF-OFF}", "{SENDFILE(/nonexistent)}", "{SENDCODE(256)}",
        "{PUSH(STOP)}"}) {
    const Settings before = engine.current;
    std::string queue, calls;
    for (const std::string& sent : {command, "   " + command + "\r\n "}) {
      engine.current = before;
      engine.suspended = engine.timedOutput = false;
      engine.queue.clear();
      engine.calls.clear();
      const bool accepted = Run(sent);
      if (!accepted) {
        EXPECT_EQ(engine.queue + Calls(), "") << sent;
        EXPECT_TRUE(engine.current == before) << sent;
      }
      if (sent != command) {
        EXPECT_EQ(engine.queue, queue) << sent;
        EXPECT_EQ(Calls(), calls) << sent;
      }
      queue = engine.queue;
      calls = Calls();
    }
  }
}

}  // namespace
}  // namespace fenno
