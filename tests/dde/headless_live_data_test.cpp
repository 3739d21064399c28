// `comfenno --headless` serves its items and commands on the session bus: a private bus,
// the program on the virtual device (standard input) or on a pseudo-terminal, and clients
// written here, with gdbus and with the Python example of docs/live-data.md.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/string_table.h"
#include "config/config_file.h"
#include "config/qt_user_store.h"
#include "dde/dbus_advise.h"
#include "dde/dbus_text.h"
#include "support/dbus_session.h"
#include "support/recording_prompt.h"
#include "support/spawn_arguments.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;
using testing::DbusSession;
using testing::WaitUntil;

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a shell command with the given environment entries; its standard output.
std::string Capture(const std::string& command, int* status = nullptr) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int raw = ::pclose(pipe);
  if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

// The program under test, with its standard input and output on pipes.
class Program {
 public:
  Program(const std::vector<std::string>& args, const std::vector<std::string>& env,
          const fs::path& errorFile) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    const testing::SpawnArguments argv(args), envp(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&pid_, argv.First(), &actions, nullptr, argv.List(), envp.List()) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    ::fcntl(output_, F_SETFL, O_NONBLOCK);
  }
  ~Program() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0) ::close(input_);
    if (output_ >= 0) ::close(output_);
  }
  bool Running() const { return pid_ > 0; }
  void Send(const std::string& bytes) {
    EXPECT_EQ(::write(input_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the program has written to standard output so far.
  const std::string& Output() {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(output_, buffer, sizeof buffer)) > 0)
      outputText_.append(buffer, static_cast<size_t>(n));
    return outputText_;
  }
  // The exit status, or -1 when it has not ended within `timeoutMs`.
  int WaitForExit(int timeoutMs) {
    int status = 0;
    const bool ended =
        WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeoutMs);
    if (!ended) return -1;
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  bool exited_ = false;
  std::string outputText_;
};

class HeadlessLiveDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    bus = DbusSession::Start(&why);
    if (!bus) GTEST_SKIP() << why;
    client = bus->Connect();
    folder = fs::temp_directory_path() / ("fenno-live-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "config");
    // The program's per-user files (port paths) live here, not in the user's home.
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    settings = Settings::Defaults(ComfennoEdition(), folder.string());
    settings.OutputMethod = kDdeServer;
    settings.RecordStructure = kDelimitedFields;
    settings.FieldCount = 2;
  }
  void TearDown() override {
    if (!folder.empty()) fs::remove_all(folder);
  }

  std::string WriteConfig(const std::string& name, const Settings& what) {
    const std::string path = (folder / name).string();
    testing::RecordingPrompt prompt;
    EXPECT_TRUE(WriteConfigFile(path, what, ComfennoEdition(),
                                StringTable(EditionKind::Comfenno, Language::English), prompt));
    return path;
  }
  std::unique_ptr<Program> Launch(const std::vector<std::string>& args) {
    std::vector<std::string> env = bus->Environment();
    env.push_back("LANG=C");
    std::vector<std::string> argv = {std::getenv("COMFENNO_BIN")};
    argv.insert(argv.end(), args.begin(), args.end());
    auto program = std::make_unique<Program>(argv, env, folder / "stderr");
    EXPECT_TRUE(program->Running());
    EXPECT_TRUE(WaitUntil([&] { return bus->HasOwner(kService); }, 20000))
        << ReadWhole(folder / "stderr");
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
  std::string Shell(const std::string& command, int* status = nullptr) {
    return Capture("DBUS_SESSION_BUS_ADDRESS='" + bus->Address() + "' " + command + " 2>&1",
                   status);
  }

  static constexpr char kService[] = "dde.Comfenno.COM1";
  const QString kServiceQ = QStringLiteral("dde.Comfenno.COM1");
  std::unique_ptr<DbusSession> bus;
  QDBusConnection client{QString()};
  fs::path folder;
  Settings settings;
};

TEST_F(HeadlessLiveDataTest, VirtualDeviceRecordsBecomeItemsAndCommandsReachTheDevice) {
  auto program = Launch({"--headless", "--virtual", WriteConfig("live.DE3", settings)});
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

  // With gdbus, as docs/live-data.md shows.
  int status = -1;
  const std::string gdbus = Shell(
      "gdbus call --session --dest dde.Comfenno.COM1 --object-path / "
      "--method dde.Conversation.Request 'Field(1)'",
      &status);
  if (status != 127) {
    EXPECT_EQ(gdbus, "('13',)\n");
    EXPECT_EQ(Shell("gdbus call --session --dest dde.Comfenno.COM1 --object-path / "
                    "--method dde.Conversation.Execute '{SEND(gdbus)}'"),
              "(true,)\n");
    EXPECT_TRUE(WaitUntil([&] { return program->Output() == "hi\r\ngdbus"; }));
  }

  // The exit command is answered before the program ends.
  EXPECT_EQ(Execute(QStringLiteral("{APPEXIT}")), true);
  EXPECT_EQ(program->WaitForExit(20000), 0) << ReadWhole(folder / "stderr");
  EXPECT_FALSE(bus->HasOwner(kService));
}

// The Python example of the documentation reads a field and sends a command.
TEST_F(HeadlessLiveDataTest, ThePythonExampleOfTheDocumentationWorks) {
  const std::string doc =
      ReadWhole(fs::path(std::getenv("FENNO_SOURCE_DIR")) / "docs" / "live-data.md");
  const std::string fence = "```python\n";
  const size_t begin = doc.find(fence);
  const size_t end = begin == std::string::npos ? begin : doc.find("```", begin + fence.size());
  ASSERT_NE(end, std::string::npos) << "no Python example in docs/live-data.md";
  if (Capture("/usr/bin/python3 -c 'import dbus' 2>&1") != "") GTEST_SKIP() << "no python3-dbus";
  std::ofstream(folder / "example.py")
      << doc.substr(begin + fence.size(), end - begin - fence.size());

  auto program = Launch({"--headless", "--virtual", WriteConfig("live.DE3", settings)});
  program->Send("21.75,1\r");
  ASSERT_TRUE(WaitForField("Field(1)", "21.75"));
  const std::string printed = Shell("/usr/bin/python3 '" + (folder / "example.py").string() + "'");
  EXPECT_NE(printed.find("Field(1) = 21.75"), std::string::npos) << printed;
  EXPECT_NE(printed.find("accepted: True"), std::string::npos) << printed;
  EXPECT_TRUE(WaitUntil([&] { return program->Output().find("TARE") != std::string::npos; }))
      << program->Output();
}

// On a pseudo-terminal the line and configuration commands reach a real port.
TEST_F(HeadlessLiveDataTest, OnAPseudoTerminalAConfigurationCanBeLoadedByCommand) {
  int master = -1, slave = -1;
  char name[256] = {};
  ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
  IniUserStore("Comfenno").Set("Comfenno", "Ports", "COM1", name);
  settings.FieldCount = 1;
  settings.RecordStructure = kSingleField;
  Settings next = settings;
  next.RecordStructure = kDelimitedFields;
  next.FieldCount = 2;
  next.AckString = "K";
  const std::string nextPath = WriteConfig("Next.DE3", next);

  auto program = Launch({"--headless", WriteConfig("first.DE3", settings)});
  const auto toDevice = [&](const std::string& bytes) {
    EXPECT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  };
  toDevice("7\r");
  EXPECT_TRUE(WaitForField("Field(1)", "7"));
  EXPECT_EQ(Execute(QStringLiteral("{BAUD19200}")), true);
  EXPECT_EQ(Execute(QString::fromStdString("{CONFIG(" + nextPath + ")}")), true);
  EXPECT_TRUE(WaitUntil([&] { return Request("Field(2)") == ""; }));
  toDevice("1,2\r");
  EXPECT_TRUE(WaitForField("Field(2)", "2")) << ReadWhole(folder / "stderr");
  std::string fromEngine;
  EXPECT_TRUE(WaitUntil([&] {
    char buffer[64];
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0) {
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) fromEngine.append(buffer, static_cast<size_t>(n));
    }
    return fromEngine == "K";
  })) << fromEngine;

  EXPECT_EQ(Execute(QStringLiteral("{APPEXIT}")), true);
  EXPECT_EQ(program->WaitForExit(20000), 0) << ReadWhole(folder / "stderr");
  ::close(slave);
  ::close(master);
}

}  // namespace
}  // namespace fenno
