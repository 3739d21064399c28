// The programs end to end, headless: on the virtual device (standard input), on a
// pseudo-terminal or over loopback TCP where the device simulator of tools/ plays a
// balance, and serving live data on a private session bus.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "base/string_table.h"
#include "config/command_line.h"
#include "config/config_file.h"
#include "config/config_samples.h"
#include "config/print_config.h"
#include "dde/dbus_advise.h"
#include "dde/dbus_text.h"
#include "examples/example_configs.h"
#include "support/child_process.h"
#include "support/dbus_fake_portal.h"
#include "support/dbus_session.h"
#include "support/pty_pair.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;
using namespace testing;

std::string SourceDir() {
  return std::getenv("FENNO_SOURCE_DIR");
}

std::string ProgramPath(const Edition& edition) {
  return std::getenv(edition.IsSerial() ? "COMFENNO_BIN" : "NETFENNO_BIN");
}

std::string WriteConfig(const std::string& path, const Settings& settings, const Edition& edition) {
  RecordingPrompt prompt;
  EXPECT_TRUE(WriteConfigFile(path, settings, edition, StringTable(edition.kind, Language::English),
                              prompt));
  return path;
}

// Sequence numbers of the balance's weighings in a log, in the order of its lines.
std::vector<long> WeighingNumbers(const std::string& log) {
  static const std::regex weighing("N(\\d{6}) +[+-][0-9.]+ g\r*\n");
  std::vector<long> numbers;
  for (std::sregex_iterator it(log.begin(), log.end(), weighing), end; it != end; ++it)
    numbers.push_back(std::stol((*it)[1]));
  return numbers;
}

size_t Occurrences(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

// Every line of the log is one whole weighing, each one more than the one before.
void ExpectWholeConsecutiveLines(const std::string& log, size_t from = 0) {
  const std::vector<long> numbers = WeighingNumbers(log);
  EXPECT_EQ(numbers.size(), Occurrences(log, "\n")) << log;
  for (size_t i = std::max<size_t>(from, 1); i < numbers.size(); ++i)
    EXPECT_EQ(numbers[i], numbers[i - 1] + 1) << log;
}

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() { UseEdition(ComfennoEdition()); }

  // Settings that log balance weighings (the LF after each is dropped) and acknowledge each.
  void UseEdition(const Edition& edition) {
    edition_ = &edition;
    settings = Settings::Defaults(edition, folder.path());
    settings.OutputMethod = kLogToDisk;
    settings.LogFilePath = folder.File("data.log");
    settings.PreInputTranslation[10] = kIgnoreEntry;
    settings.AckString = "\x06";
  }
  // Points the serial program's port COM<index + 1> (COM5 unless told) at `device`.
  void AssignPort(const std::string& device, int16_t index = 4) {
    settings.PortIndex = index;
    fs::create_directories(configHome / "Comfenno");
    std::ofstream(configHome / "Comfenno" / "Comfenno.ini")
        << "[Ports]\nCOM" << index + 1 << "=" << device << "\n";
  }
  // The program on a configuration file of `settings`, named `name`.
  std::unique_ptr<ChildProcess> Start(const std::string& name,
                                      std::vector<std::string> options = {},
                                      std::map<std::string, std::string> environment = {}) {
    const std::string config = WriteConfig(
        folder.File(name + std::string(edition_->configExtension)), settings, *edition_);
    std::vector<std::string> command = {ProgramPath(*edition_), "--headless"};
    command.insert(command.end(), options.begin(), options.end());
    command.push_back(config);
    environment.emplace("XDG_CONFIG_HOME", configHome.string());
    return std::make_unique<ChildProcess>(command, folder.File(name), environment, true);
  }
  // The simulator playing a balance that sends 20 weighings a second and shows what it
  // receives; `where` says how it is reached.
  std::unique_ptr<ChildProcess> Balance(std::vector<std::string> where) {
    std::vector<std::string> command = {"python3", "-u",
                                        SourceDir() + "/tools/device_simulator.py"};
    command.insert(command.end(), where.begin(), where.end());
    for (const char* word : {"--device", "balance", "--rate", "20", "--echo-received"})
      command.push_back(word);
    return std::make_unique<ChildProcess>(command, folder.File("balance"));
  }
  std::string Log() const { return ReadWholeFile(settings.LogFilePath); }
  std::vector<long> Logged() const { return WeighingNumbers(Log()); }
  // Acknowledgements that reached the balance.
  static size_t Acks(const ChildProcess& balance) { return Occurrences(balance.Errors(), "\\x06"); }

  ScratchFolder folder;
  fs::path configHome = fs::path(folder.path()) / "config";
  Settings settings;
  const Edition* edition_ = nullptr;
};

TEST_F(HeadlessTest, VirtualDeviceRecordsReachTheLogAndAcknowledgementsTheDevice) {
  struct Case {
    const Edition& edition;
    std::function<void(Settings&)> configure;
    std::string input, log, out;
  };
  const Case cases[] = {
      {ComfennoEdition(), [](Settings& s) { s.RecordPreamble = "#"; }, "12.5\r\n13\r\n",
       "#12.5\r\r\n#13\r\r\n", "\x06\x06"},
      {NetfennoEdition(), [](Settings& s) { s.TcpRemoteHost = "127.0.0.1"; }, "7\r", "7\r\r\n",
       "\x06"},
      // A time-gap record at the end of the input ends after its gap.
      {ComfennoEdition(),
       [](Settings& s) {
         s.EndOfRecordEvent = kEndTimeGap;
         s.RecordTimeGap = 4;
       },
       "ABC", "ABC\r\n", "\x06"},
  };
  for (const Case& c : cases) {
    UseEdition(c.edition);
    c.configure(settings);
    fs::remove(settings.LogFilePath);
    auto program = Start("virtual", {"--virtual"});
    program->Send(c.input);
    program->CloseInput();
    ASSERT_TRUE(program->WaitForExit());
    EXPECT_EQ(program->ExitCode(), 0) << program->Errors();
    EXPECT_EQ(program->Output(), c.out);
    EXPECT_EQ(Log(), c.log);
  }
}

TEST_F(HeadlessTest, TerminationWhileALogWriteIsRetriedEndsTheProgramAndSaysWhatWasLost) {
  settings.LogFilePath = folder.File("no-such-folder/data.log");
  auto program = Start("retry", {"--virtual"});
  program->Send("1\r2\r");
  ASSERT_TRUE(WaitUntil([&] {
    return program->Errors().find("File I/O Error Writing To:") != std::string::npos;
  })) << program->Errors();
  program->Signal(SIGTERM);
  ASSERT_TRUE(program->WaitForExit());
  EXPECT_NE(program->Errors().find("2 records could not be written"), std::string::npos)
      << program->Errors();
}

TEST(ExampleConfigs, CommittedFilesAreWhatTheWriterProduces) {
  ScratchFolder folder;
  for (const ExampleConfig& example : ExampleConfigs()) {
    const std::string path =
        WriteConfig(folder.File(example.fileName), example.settings, *example.edition);
    EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(SourceDir() + "/examples/" + example.fileName))
        << example.fileName << " is out of date: run write_examples examples";
  }
}

// --print-config lists a readable file and says when it is old; a file either option cannot
// use and a command line without a file end the program with their status and message.
TEST(ProgramExit, StatusesAndMessagesOfPrintConfigBadFilesAndUsage) {
  for (const Edition* edition : {&ComfennoEdition(), &NetfennoEdition()}) {
    const Edition& other = edition->hasTcpSettings ? ComfennoEdition() : NetfennoEdition();
    const Settings rich = RichSettings(*edition);
    const Settings defaults = Settings::Defaults(*edition, "/home/ann");
    ScratchFolder folder;
    const std::string cut =
        folder.Write("cut.cfg", ConfigFileBytes(defaults, *edition).substr(0, 5000));
    const std::string missing = folder.File("missing.cfg");
    const struct {
      std::vector<std::string> options;
      int status;
      std::string out, err;
    } cases[] = {
        {{"--print-config", folder.Write("rich.cfg", ConfigFileBytes(rich, *edition))},
         kExitOk,
         PrintConfig(rich, *edition),
         ""},
        {{"--print-config", folder.Write("old.cfg", OldLayoutFile(defaults, *edition))},
         kExitOk,
         "InterCharDelay = 1\n",
         "created with a previous version"},
        {{"--print-config", missing}, kExitConfigError, "", "cannot be opened"},
        {{"--print-config",
          folder.Write("other.cfg", ConfigFileBytes(Settings::Defaults(other, "/"), other))},
         kExitConfigError,
         "",
         "is not a valid configuration file"},
        {{"--headless", "--virtual", missing}, kExitConfigError, "", "cannot be read"},
        {{"--headless", cut}, kExitConfigError, "", "is not a valid configuration file"},
        {{"--headless"}, kExitUsage, "", "--headless needs a configuration file"},
    };
    for (const auto& c : cases) {
      std::vector<std::string> command = {ProgramPath(*edition)};
      command.insert(command.end(), c.options.begin(), c.options.end());
      ChildProcess run(command, folder.File("run"));
      ASSERT_TRUE(run.WaitForExit());
      const std::string& file = c.options.back();
      EXPECT_EQ(run.ExitCode(), c.status) << file;
      // An old file's listing is checked by its end only.
      EXPECT_TRUE(c.status == 0 && !c.err.empty() ? run.Output().ends_with(c.out)
                                                  : run.Output() == c.out)
          << file;
      EXPECT_TRUE(c.err.empty() ? run.Errors().empty()
                                : run.Errors().find(c.err) != std::string::npos)
          << run.Errors();
      EXPECT_TRUE(c.status != kExitConfigError || run.Errors().find(file) != std::string::npos)
          << run.Errors();
    }
  }
}

// --- A balance on a pseudo-terminal or over TCP ----------------------------------------

// The balance's pseudo-terminal goes away and a new one appears at the same link, as a USB
// adapter that is pulled out and plugged in again: the running program opens it again. A
// port without its device, or one another program holds, ends the program with status 3.
TEST_F(HeadlessTest, ABalanceThatComesBackIsReadAgainAndPortsInUseOrMissingAreRefused) {
  AssignPort(folder.File("no-such-device"));
  auto missing = Start("missing");
  ASSERT_TRUE(missing->WaitForExit());
  EXPECT_EQ(missing->ExitCode(), kExitPortError);
  EXPECT_NE(missing->Errors().find("COM5 Device Not Available."), std::string::npos)
      << missing->Errors();

  const std::string link = folder.File("balance-link");
  auto balance = Balance({"--pty", "--link", link, "--drop-after", "2", "--down-for", "1.5"});
  ASSERT_NE(balance->WaitForLine("LINK"), "") << balance->Errors();
  AssignPort(link);
  auto program = Start("balance");
  const auto says = [&](const char* text) {
    return WaitUntil([&] { return program->Errors().find(text) != std::string::npos; });
  };
  ASSERT_TRUE(says("was disconnected")) << program->Errors();
  const size_t before = Logged().size();
  ASSERT_TRUE(says("connected again")) << program->Errors();
  const size_t acksBefore = Acks(*balance);

  const std::string firstLog = settings.LogFilePath;
  settings.LogFilePath = folder.File("second.log");
  auto second = Start("second");
  ASSERT_TRUE(second->WaitForExit());
  EXPECT_EQ(second->ExitCode(), kExitPortError);
  EXPECT_NE(second->Errors().find("in use by another program"), std::string::npos)
      << second->Errors();
  settings.LogFilePath = firstLog;

  ASSERT_TRUE(WaitUntil([&] {
    return Logged().size() >= before + 10 && Acks(*balance) >= acksBefore + 5;
  })) << program->Errors();
  program->Signal(SIGTERM);
  ASSERT_TRUE(program->WaitForExit());
  ASSERT_GE(before, 3u);
  ExpectWholeConsecutiveLines(Log(), before + 1);
  EXPECT_LE(Acks(*balance), Logged().size());
  const std::string messages = program->Errors();
  EXPECT_EQ(Occurrences(messages, "was disconnected"), 1u) << messages;
  EXPECT_EQ(Occurrences(messages, "connected again"), 1u) << messages;
  EXPECT_EQ(Occurrences(messages, "Device Not Available"), 0u) << messages;
}

// The server mode has its own loopback tests (tests/transport, the engine window's caption);
// here the program reads a listening balance end to end and is ended as a service manager
// ends it.
TEST_F(HeadlessTest, TcpWeighingsOfAListeningBalanceAreLoggedAndAcknowledged) {
  UseEdition(NetfennoEdition());
  auto balance = Balance({"--tcp-server", "0", "--bind", "127.0.0.1"});
  const std::string listening = balance->WaitForLine("LISTENING");
  ASSERT_NE(listening, "") << balance->Errors();
  settings.TcpRemoteHost = "127.0.0.1";
  settings.TcpRemotePort = listening.substr(listening.find(' ') + 1);
  auto program = Start("client");
  ASSERT_TRUE(WaitUntil([&] { return Logged().size() >= 10 && Acks(*balance) >= 10; }))
      << program->Errors() << balance->Errors();
  program->Signal(SIGTERM);
  ASSERT_TRUE(program->WaitForExit());
  EXPECT_EQ(program->ExitCode(), 0) << program->Errors();
  ExpectWholeConsecutiveLines(Log());
  EXPECT_EQ(Logged().front(), 1) << "the device sends only once connected";
  // The acknowledgement of the last record may still have been queued at the end.
  EXPECT_TRUE(WaitUntil([&] { return Acks(*balance) + 1 >= Logged().size(); }));
  EXPECT_LE(Acks(*balance), Logged().size());
}

// --- Live data on a private session bus ------------------------------------------------

class HeadlessLiveDataTest : public HeadlessTest {
 protected:
  void SetUp() override {
    std::string why;
    bus = DbusSession::Start(&why);
    if (!bus) GTEST_SKIP() << why;
    client = bus->Connect();
    settings.OutputMethod = kDdeServer;
    settings.RecordStructure = kDelimitedFields;
    settings.FieldCount = 2;
    settings.AckString.clear();
  }

  std::unique_ptr<ChildProcess> Launch(const std::string& name, std::vector<std::string> options) {
    auto program = Start(name, options, {{"DBUS_SESSION_BUS_ADDRESS", bus->Address()}});
    EXPECT_TRUE(WaitUntil([&] { return bus->HasOwner(kService); })) << program->Errors();
    return program;
  }
  QDBusMessage Call(const QString& method, const QString& argument) {
    return CallAndWait(client, ConversationCall(kServiceQ, method, argument), 10000);
  }
  std::string Request(const std::string& item) {
    const QDBusMessage answer = Call(QStringLiteral("Request"), FromBytes(item));
    return ToBytesExactly(answer.arguments().value(0).toString()).value_or("<error>");
  }
  bool WaitForField(const std::string& item, const std::string& value) {
    return WaitUntil([&] { return Request(item) == value; });
  }
  std::optional<bool> Execute(const QString& command) {
    const QDBusMessage answer = Call(QStringLiteral("Execute"), command);
    if (answer.type() != QDBusMessage::ReplyMessage) return std::nullopt;
    return answer.arguments().value(0).toBool();
  }
  // A command run to its end on the test's bus: its exit status, then its output and errors.
  std::pair<int, std::string> Run(const std::vector<std::string>& command) {
    ChildProcess run(command, folder.File("run"), {{"DBUS_SESSION_BUS_ADDRESS", bus->Address()}});
    EXPECT_TRUE(run.WaitForExit());
    return {run.ExitCode(), run.Output() + run.Errors()};
  }
  // Ends the program by the exit command, which is answered first.
  void ExitByCommand(ChildProcess& program) {
    EXPECT_EQ(Execute(QStringLiteral("{APPEXIT}")), true);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0) << program.Errors();
    EXPECT_FALSE(bus->HasOwner(kService));
  }

  static constexpr char kService[] = "dde.Comfenno.COM1";
  const QString kServiceQ = QStringLiteral("dde.Comfenno.COM1");
  std::unique_ptr<DbusSession> bus;
  QDBusConnection client{QString()};
};

TEST_F(HeadlessLiveDataTest, VirtualDeviceRecordsBecomeItemsAndCommandsReachTheDevice) {
  auto program = Launch("live", {"--virtual"});
  program->Send("12.5,3\r");
  EXPECT_TRUE(WaitForField("Field(1)", "12.5"));
  EXPECT_EQ(Request("Field(2)"), "3");
  EXPECT_EQ(Request("RecordNumber"), "1");

  std::vector<std::string> advised;
  AdviseSubscription subscription(client, kServiceQ,
                                  [&](const std::string& item, const std::string& value) {
                                    advised.push_back(item + "=" + value);
                                  });
  program->Send("13,3\r");
  EXPECT_TRUE(WaitUntil([&] { return advised.size() >= 2; }));
  EXPECT_EQ(advised, (std::vector<std::string>{"Field(1)=13", "RecordNumber=2"}));

  EXPECT_EQ(Execute(QStringLiteral("{SEND(hi)}")), true);
  EXPECT_EQ(Execute(QStringLiteral("{SENDOUT(13,10)}")), true);
  EXPECT_TRUE(WaitUntil([&] { return program->Output() == "hi\r\n"; }));
  EXPECT_EQ(Execute(QStringLiteral("{nonsense}")), false);
  EXPECT_EQ(Execute(QStringLiteral("{CONFIG(/x.DE3)}")), false);  // not on the virtual device
  EXPECT_EQ(Execute(QStringLiteral("{COPYFIELD(1)}")), false);    // no clipboard headless

  // The command line of desktops without global hot keys.
  const std::string bin = std::getenv("COMFENNO_BIN");
  EXPECT_EQ(Run({bin, "--command", "{SEND(x)}"}),
            std::pair(kExitOk, std::string("Accepted: {SEND(x)}\n")));
  const auto refused = Run({bin, "--command", "{nonsense}", "COM1"});
  EXPECT_EQ(refused.first, kExitCommandRefused);
  EXPECT_TRUE(refused.second.starts_with("Refused: {nonsense}")) << refused.second;
  const auto nobody = Run({bin, "--command", "{SEND(x)}", "COM2"});
  EXPECT_EQ(nobody.first, kExitNoRunningProgram);
  EXPECT_NE(nobody.second.find("No running Comfenno"), std::string::npos) << nobody.second;
  ExitByCommand(*program);
}

// On a Wayland desktop records are typed through the desktop portal, into the focus.
TEST_F(HeadlessLiveDataTest, OnAWaylandDesktopRecordsAreTypedThroughThePortal) {
  FakePortal portal(bus->Connect());
  ASSERT_TRUE(portal.Serve());
  settings.OutputMethod = kSendKeystrokes;
  auto program = Start("wayland", {"--virtual"},
                       {{"DBUS_SESSION_BUS_ADDRESS", bus->Address()},
                        {"XDG_SESSION_TYPE", "wayland"},
                        {"XKB_DEFAULT_LAYOUT", "de"}});
  program->Send("z\r");
  program->CloseInput();
  ASSERT_TRUE(WaitUntil([&] { return portal.calls.size() >= 5; })) << program->Errors();
  EXPECT_EQ(std::vector<std::string>(portal.calls.begin(), portal.calls.begin() + 5),
            (std::vector<std::string>{"CreateSession", "SelectDevices types=1 persist=2", "Start",
                                      "key 21 down", "key 21 up"}));  // z is on the Y key
  ASSERT_TRUE(program->WaitForExit());
  EXPECT_NE(program->Errors().find("readings go to the window that has the focus"),
            std::string::npos);
}

// A run that starts suspended outlives its input: it says so once and ends after a resume.
TEST_F(HeadlessLiveDataTest, InputThatEndsWhileSuspendedWaitsForAResume) {
  settings.StartSuspended = true;
  settings.OutputMethod = kLogToDisk;
  auto program = Launch("paused", {"--virtual"});
  program->Send("7,1\r");
  program->CloseInput();
  const std::string notice = "Standard input has ended while the engine is suspended";
  EXPECT_TRUE(WaitUntil([&] { return program->Errors().find(notice) != std::string::npos; }))
      << program->Errors();
  EXPECT_EQ(Execute(QStringLiteral("{RESUME}")), true);
  ASSERT_TRUE(program->WaitForExit());
  EXPECT_EQ(program->ExitCode(), 0) << program->Errors();
  const std::string err = program->Errors();
  EXPECT_EQ(err.find(notice), err.rfind(notice)) << err;
  EXPECT_EQ(Log(), "71\r\r\n");  // two fields, logged back to back
}

// The Python example of the documentation reads a field and sends a command.
TEST_F(HeadlessLiveDataTest, ThePythonExampleOfTheDocumentationWorks) {
  const std::string doc = ReadWholeFile(SourceDir() + "/docs/live-data.md");
  const std::string fence = "```python\n";
  const size_t begin = doc.find(fence);
  const size_t end = begin == std::string::npos ? begin : doc.find("```", begin + fence.size());
  ASSERT_NE(end, std::string::npos) << "no Python example in docs/live-data.md";
  if (Run({"/usr/bin/python3", "-c", "import dbus"}).first != 0) GTEST_SKIP() << "no python3-dbus";
  const std::string example =
      folder.Write("example.py", doc.substr(begin + fence.size(), end - begin - fence.size()));

  auto program = Launch("live", {"--virtual"});
  program->Send("21.75,1\r");
  ASSERT_TRUE(WaitForField("Field(1)", "21.75"));
  const std::string printed = Run({"/usr/bin/python3", example}).second;
  EXPECT_NE(printed.find("Field(1) = 21.75"), std::string::npos) << printed;
  EXPECT_NE(printed.find("accepted: True"), std::string::npos) << printed;
  EXPECT_TRUE(WaitUntil([&] { return program->Output().find("TARE") != std::string::npos; }))
      << program->Output();
}

// On a pseudo-terminal the line and configuration commands reach a real port.
TEST_F(HeadlessLiveDataTest, OnAPseudoTerminalAConfigurationCanBeLoadedByCommand) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  AssignPort(pty.SlavePath(), 0);
  Settings next = settings;
  next.AckString = "K";
  const std::string nextPath = WriteConfig(folder.File("Next.DE3"), next, ComfennoEdition());
  settings.FieldCount = 1;
  settings.RecordStructure = kSingleField;

  auto program = Launch("first", {});
  ASSERT_TRUE(pty.DeviceWrites("7\r"));
  EXPECT_TRUE(WaitForField("Field(1)", "7"));
  EXPECT_EQ(Execute(QStringLiteral("{BAUD19200}")), true);
  EXPECT_EQ(Execute(QString::fromStdString("{CONFIG(" + nextPath + ")}")), true);
  EXPECT_TRUE(WaitUntil([&] { return Request("Field(2)") == ""; }));
  ASSERT_TRUE(pty.DeviceWrites("1,2\r"));
  EXPECT_TRUE(WaitForField("Field(2)", "2")) << program->Errors();
  std::string fromEngine;
  EXPECT_TRUE(WaitUntil([&] {
    pty.DeviceReads(fromEngine);
    return fromEngine == "K";
  })) << fromEngine;
  ExitByCommand(*program);
}

}  // namespace
}  // namespace fenno
