#include "dde/command_language.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "config/config_file.h"
#include "dde/fake_live_data.h"
#include "dde/link_menu.h"
#include "support/fake_clock.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"

namespace fenno {
namespace {

using testing::FakeClipboard;
using testing::FakeEngineControl;
using testing::FakeLinks;

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
  return text;
}

// A command and what it does: "refused", or what it sends to the device ("sends" and the
// bytes, <hex> where not printable) and the engine operations it calls, in order; "ok"
// when neither.
using CommandCase = std::pair<std::string, std::string>;

class CommandLanguageTest : public ::testing::Test {
 protected:
  CommandLanguageTest() { engine.current.FieldCount = 3; }

  void Make(const Edition& edition = ComfennoEdition(),
            ActivationMode mode = ActivationMode::Normal, bool withClipboard = true) {
    engine.mode = mode;
    menu = std::make_unique<LinkMenu>(engine.current, withClipboard ? &clipboard : nullptr, &links,
                                      LinkMenu::Requests{[this] { requests.push_back("command"); },
                                                         [this] { requests.push_back("buffer"); }},
                                      std::string(edition.programName), engine.topic);
    language = std::make_unique<CommandLanguage>(
        CommandServices{engine, edition, clock, regional, strings, prompt, working, menu.get()});
  }
  bool Run(const std::string& command) { return language->Execute(command); }

  // Each case runs as sent and again with blanks before it and a line end after it, from
  // the same engine state: the blanks change nothing, and a refusal leaves all alone. The
  // state a case leaves is the next case's.
  void ExpectCases(const std::vector<CommandCase>& cases) {
    for (const auto& [command, effect] : cases) {
      const bool braced = command.starts_with('{') || command.starts_with('[');
      const FakeEngineControl before = engine;
      for (const std::string& sent : {command, "   " + command + "\r\n "}) {
        if (sent != command && !braced) break;
        engine = before;
        engine.queue.clear();
        engine.calls.clear();
        EXPECT_EQ(Effect(Run(sent)), effect) << sent;
        EXPECT_TRUE(effect != "refused" || engine.current == before.current) << sent;
      }
    }
  }
  std::string Effect(bool accepted) const {
    if (!accepted) return "refused";
    std::string sent;
    for (const unsigned char c : engine.queue) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02x>", c);
      sent += c >= ' ' && c < 127 ? std::string(1, static_cast<char>(c)) : std::string(hex);
    }
    std::vector<std::string> effects = engine.calls;
    if (!engine.queue.empty()) effects.insert(effects.begin(), "sends " + sent);
    return effects.empty() ? "ok" : Joined(effects);
  }

  FakeEngineControl engine{Settings::Defaults(ComfennoEdition(), "/tmp")};
  StringTable strings{EditionKind::Comfenno, Language::English};
  RegionalSettings regional = RegionalSettings::English();
  testing::FakeClock clock;
  testing::RecordingPrompt prompt;
  WorkingValues working;
  FakeClipboard clipboard;
  FakeLinks links;
  std::vector<std::string> requests;
  std::unique_ptr<LinkMenu> menu;
  std::unique_ptr<CommandLanguage> language;
  testing::ScratchFolder folder;
};

TEST_F(CommandLanguageTest, EachCommandIsAcceptedOrRefusedAndDoesWhatItSays) {
  Make();
  engine.current.TimerInterval = 1000;
  engine.current.ButtonCaption[3] = "Start";
  engine.current.ButtonCaption[4] = "Zero";
  engine.current.ButtonCaption[5] = "START";
  engine.current.ButtonCaption[6] = "Caf\xE9";
  // Blanks, letter case, brackets and text after the command; only spaces are blanks.
  ExpectCases({{"{baud9600}", "baud 9600"},
               {"[BEEP]", "beep"},
               {"{Beep] and more", "beep"},
               {"", "ok"},
               {"    ", "ok"},
               {"{BEEP}{BEEP}", "refused"},
               {"BEEP", "refused"},
               {"\t{BEEP}", "refused"},
               {"{ BEEP}", "refused"}});
  // The serial line.
  ExpectCases({{"{STOPBITS1.5}", "stop bits 1"},
               {"{parityspace}", "parity 4"},
               {"{DATABITS5}", "data bits 5"},
               {"{DATABITS9}", "refused"},
               {"{BREAK}", "break"},
               {"{TOGGLEDTR}", "dtr pulse"},
               {"{RTS=ON}", "rts on"}});
  // The text as sent, the output-string notation, character codes and dates.
  ExpectCases({{"{SEND(Hello)}", "sends Hello"},
               {"{send( a B )}", "sends  a B "},
               {"{SEND()}", "refused"},
               {"{SEND(a}b)}", "sends a}b"},
               {"{SENDOUT('AB'13,10)}", "sends AB<0d><0a>"},
               {"{SENDOUT(65 66)}", "sends AB"},
               {"{SENDOUT(300)}", "sends ,"},
               {"{SENDOUT('a'b)}", "sends a"},
               {"{SENDOUT(1'2'3)}", "sends <01>2<03>"},
               {"{SENDOUT('a''b')}", "sends ab"},
               {"{SENDOUT('')}", "ok"},
               {"{SENDOUT(99999999999999999999999)}", "sends <ff>"},
               {"{SENDOUT()}", "refused"},
               {"{SENDCODE(&H41)}", "sends A"},
               {"{SENDCODE(254.5)}", "sends <fe>"},
               {"{SENDCODE(255.5)}", "refused"},
               {"{SENDCODE(-1)}", "refused"},
               {"{SENDCODE(1E999)}", "refused"},
               {"{SENDDATE(yyyy-mm-dd hh:nn:ss)}", "sends 2026-12-05 14:03:09"},
               {"{SENDDATE(\"unclosed)}", "refused"},
               {"{SENDFILE(/nonexistent)}", "refused"}});
  // Timed output and the run state: each acts only when its condition holds.
  ExpectCases({{"{TIMER-ON}", "toggle timed output"},
               {"{TIMER-ON}", "ok"},
               {"{TIMER-OFF}", "toggle timed output"},
               {"{TIMER-OFF}", "ok"},
               {"{TIMERINTERVAL=0}", "refused"},
               {"{TIMERINTERVAL=00}", "interval 0"},
               {"{TIMERINTERVAL=2.5E3}", "interval 2500"},
               {"{TIMERINTERVAL=3E9}", "refused"},
               {"{TIMERSTRING=x}", "refused"},
               {"{RESUME1}", "ok"},
               {"{SUSPEND}", "toggle suspend"},
               {"{SUSPEND}", "ok"},
               {"{RESUME1}", "resume one"},
               {"{SUSPEND}", "toggle suspend"},
               {"{RESUME}", "toggle suspend"},
               {"{RESET}", "reset"},
               {"{CLEAR}", "clear"},
               {"{APPNORMAL}", "show normal"},
               {"{APPMINIMIZE}", "minimize"},
               {"{APPEXIT}", "exit"}});
  // Buttons by caption ignoring case, the first match; the line buttons by their names.
  ExpectCases({{"{PUSH(start)}", "push 3"},
               {"{push(zero)}", "push 4"},
               {"{PUSH(CAF\xC9)}", "push 6"},
               {"{PUSH(stop)}", "refused"},
               {"{PUSH(dtr~)}", "dtr pulse"},
               {"{PUSH(Break)}", "break"}});
  // Without an interval timed output is switched on all the same; it idles until one is set.
  engine.current.TimerInterval = 0;
  ExpectCases({{"{TIMER-ON}", "toggle timed output"}});
  EXPECT_TRUE(Run("{TIMERSTRING='Go'13}"));
  EXPECT_EQ(engine.current.TimerString, "Go\r");
  EXPECT_TRUE(Run("{STRIPCRLF-OFF}"));
  EXPECT_FALSE(engine.current.StripCrLf);
  EXPECT_TRUE(Run("{stripcrlf-on}"));
  EXPECT_TRUE(engine.current.StripCrLf);
}

TEST_F(CommandLanguageTest, WithoutAPortOnlyTheLineCommandsThatNeedNoneAreAccepted) {
  engine.current.ButtonCaption[2] = "Break";
  Make(ComfennoEdition(), ActivationMode::Virtual);
  ExpectCases({{"{BREAK}", "break"},
               {"{DTR=ON}", "dtr on"},
               {"{PUSH(DTR~)}", "refused"},
               {"{PUSH(BREAK)}", "refused"}});
  Make(NetfennoEdition());
  for (const std::string command :
       {"{BAUD9600}", "{PARITYNONE}", "{DATABITS8}", "{STOPBITS1}", "{BREAK}", "{TOGGLEDTR}",
        "{RTS=OFF}", "{TIMERSTRING='A'}", "{PUSH(DTR~)}"})
    EXPECT_FALSE(Run(command)) << command;
  ExpectCases({{"{PUSH(BREAK)}", "push 2"}, {"{SEND(x)}", "sends x"}});
}

TEST_F(CommandLanguageTest, CopyCommandsPutTheLinkAndTheText) {
  Make();
  engine.fields[1] = "12.5";
  engine.recordNumber = "42";
  engine.dateTime = "05.12.2026";
  const std::vector<std::tuple<std::string, std::string, std::string>> copies = {
      {"{COPYFIELD(1)}", "Comfenno|COM1!Field(1)", "12.5"},
      {"{COPYFIELD(2.5)}", "Comfenno|COM1!Field(2)", ""},  // halves go to the even number
      {"{COPYRECNUM}", "Comfenno|COM1!RecordNumber", "42"},
      {"{copydate}", "Comfenno|COM1!DateTime", "05.12.2026"},
  };
  for (const auto& [command, link, text] : copies) {
    EXPECT_TRUE(Run(command)) << command;
    EXPECT_EQ(clipboard.link, link);
    EXPECT_EQ(clipboard.text, text);
  }
  ExpectCases({{"{COPYFIELD(0)}", "refused"},
               {"{COPYFIELD(3)}", "ok"},
               {"{COPYFIELD(4)}", "refused"},
               {"{COPYFIELD(x)}", "refused"}});

  Make(NetfennoEdition());
  EXPECT_TRUE(Run("{COPYFIELD(3)}"));
  EXPECT_EQ(clipboard.link, "Netfenno|COM1!Field(3)");
  Make(ComfennoEdition(), ActivationMode::Normal, false);  // no clipboard
  ExpectCases({{"{COPYFIELD(1)}", "refused"}, {"{COPYDATE}", "refused"}});
}

TEST_F(CommandLanguageTest, LinkCommandsFollowTheEditMenusEnabledStates) {
  Make();
  for (const std::string command : {"{PASTE-COMMAND}", "{REFRESH-COMMAND}", "{TERMINATE-COMMAND}",
                                    "{PASTE-BUFFER}", "{REFRESH-BUFFER}", "{TERMINATE-BUFFER}"})
    EXPECT_FALSE(Run(command)) << command;
  clipboard.link = "Sheet|Lab!R1C1";
  EXPECT_FALSE(Run("{PASTE-COMMAND}"));  // the link alone is not enough: plain text too
  clipboard.text = "{BEEP}";
  EXPECT_TRUE(Run("{PASTE-COMMAND}"));
  EXPECT_EQ(engine.current.CommandLinkApp + engine.current.CommandLinkTopic +
                engine.current.CommandLinkItem,
            "SheetLabR1C1");
  EXPECT_TRUE(Run("{REFRESH-COMMAND}"));
  clipboard.link = "Logger|Out";
  EXPECT_TRUE(Run("{PASTE-BUFFER}"));
  EXPECT_EQ(engine.current.BufferLinkTopic, "Out");
  EXPECT_EQ(Joined(requests), "command; command; buffer");
  links.commandActive = true;
  EXPECT_TRUE(Run("{TERMINATE-COMMAND}"));
  EXPECT_FALSE(links.commandActive);
  EXPECT_FALSE(Run("{TERMINATE-BUFFER}"));
}

TEST_F(CommandLanguageTest, SendFileQueuesTheWholeFileOrNothing) {
  Make();
  const std::string bytes("A\0B\r\n\xff", 6);
  const std::string path = folder.Write("send.bin", bytes);
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ExpectCases({
      {"{SENDFILE(" + path + ")}", "sends A<00>B<0d><0a><ff>"},
      {"{SENDFILE(" + folder.Write("empty", "") + ")}", "ok"},
      {"{SENDFILE(" + folder.File("SEND.BIN") + ")}", "refused"},  // the path keeps its case
      {"{SENDFILE(" + folder.path() + ")}", "refused"},
      // A named pipe nobody writes to is refused at once instead of stalling the program.
      {"{SENDFILE(" + fifo + ")}", "refused"},
  });
  // The file must fit beside what is already queued.
  engine.queue.assign(CommandLanguage::kMaxQueuedFileBytes - 6, 'q');
  EXPECT_TRUE(Run("{SENDFILE(" + path + ")}"));
  EXPECT_FALSE(Run("{SENDFILE(" + path + ")}"));
  EXPECT_EQ(engine.queue.size(), static_cast<size_t>(CommandLanguage::kMaxQueuedFileBytes));
}

TEST_F(CommandLanguageTest, ConfigLoadsAFileForTheSamePortAfterTheTickAndRestarts) {
  Make();
  Settings next = engine.current, otherPort = engine.current;
  next.FieldCount = 7;
  otherPort.PortIndex = 4;
  const std::string path = folder.Write("Next.DE3", ConfigFileBytes(next, ComfennoEdition()));
  std::string damaged = ConfigFileBytes(engine.current, ComfennoEdition());
  damaged.resize(damaged.size() / 3);
  // Another port's file is refused silently, a bad or damaged one with a message.
  ExpectCases({{"{CONFIG(" +
                    folder.Write("Port5.DE3", ConfigFileBytes(otherPort, ComfennoEdition())) + ")}",
                "refused"},
               {"{CONFIG(" + folder.Write("junk.DE3", "junk\r\n") + ")}", "refused"},
               {"{CONFIG(" + folder.Write("cut.DE3", damaged) + ")}", "refused"}});
  EXPECT_EQ(prompt.messages.size(), 4u);  // each bad file twice: as sent and with blanks

  engine.insideTick = true;
  EXPECT_TRUE(Run("{config(" + path + ")}"));
  EXPECT_EQ(engine.current.FieldCount, 3);  // nothing changes in the middle of a tick
  engine.EndTick();
  EXPECT_EQ(engine.current.FieldCount, 7);
  EXPECT_EQ(working.ConfigFileName, path);
  EXPECT_TRUE(working.ConfigLoaded);
  EXPECT_EQ(Joined(engine.calls), "restart");

  Make(ComfennoEdition(), ActivationMode::Virtual);
  ExpectCases({{"{CONFIG(" + path + ")}", "refused"}});
}

}  // namespace
}  // namespace fenno
