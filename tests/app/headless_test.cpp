// The programs run headless on the virtual device: standard input in, standard output
// out, records to the log file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "config/config_file.h"
#include "examples/example_configs.h"
#include "support/recording_prompt.h"
#include "base/string_table.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("fenno-headless-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    settings = Settings::Defaults(ComfennoEdition(), folder.string());
    settings.OutputMethod = kLogToDisk;
    settings.LogFilePath = (folder / "data.log").string();
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string WriteConfig(const Edition& edition = ComfennoEdition()) {
    const std::string path =
        (folder / (std::string("test") + std::string(edition.configExtension))).string();
    testing::RecordingPrompt prompt;
    EXPECT_TRUE(WriteConfigFile(path, settings, edition,
                                StringTable(edition.kind, Language::English), prompt));
    return path;
  }

  // Runs a program with the shell, input from a file, output captured.
  ProgramRun RunProgram(const std::string& program, const std::string& args,
                        const std::string& input) {
    const fs::path in = folder / "stdin", out = folder / "stdout", err = folder / "stderr";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command = "cd '" + folder.string() + "' && LANG=C '" + program + "' " + args +
                                " < '" + in.string() + "' > '" + out.string() + "' 2> '" +
                                err.string() + "'";
    ProgramRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(out);
    run.err = ReadFile(err);
    return run;
  }
  static std::string Comfenno() { return std::getenv("COMFENNO_BIN"); }
  static std::string Netfenno() { return std::getenv("NETFENNO_BIN"); }

  fs::path folder;
  Settings settings;
};

TEST_F(HeadlessTest, VirtualDeviceRecordsReachTheLogAndAcknowledgementsTheDevice) {
  settings.AckString = "\x06";
  settings.PreInputTranslation[10] = kIgnoreEntry;
  settings.RecordPreamble = "#";
  const ProgramRun run =
      RunProgram(Comfenno(), "--headless --virtual '" + WriteConfig() + "'", "12.5\r\n13\r\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "\x06\x06");
  EXPECT_EQ(ReadFile(folder / "data.log"), "#12.5\r\r\n#13\r\r\n");
}

TEST_F(HeadlessTest, ATimeGapRecordAtTheEndOfInputEndsAfterItsGap) {
  settings.EndOfRecordEvent = kEndTimeGap;
  settings.RecordTimeGap = 4;
  const ProgramRun run =
      RunProgram(Comfenno(), "--headless --virtual '" + WriteConfig() + "'", "ABC");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(folder / "data.log"), "ABC\r\n");
}

TEST_F(HeadlessTest, NetfennoRunsTheSameEngine) {
  settings = Settings::Defaults(NetfennoEdition(), folder.string());
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = (folder / "net.log").string();
  settings.TcpRemoteHost = "127.0.0.1";
  const ProgramRun run = RunProgram(
      Netfenno(), "--headless --virtual '" + WriteConfig(NetfennoEdition()) + "'", "7\r");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(folder / "net.log"), "7\r\r\n");
}

TEST_F(HeadlessTest, ExitStatusesForBadConfigurationsAndUsage) {
  ProgramRun run = RunProgram(
      Comfenno(), "--headless --virtual '" + (folder / "missing.DE3").string() + "'", "");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot be read"), std::string::npos) << run.err;

  std::ofstream(folder / "junk.DE3") << "not a configuration\r\n";
  run = RunProgram(Comfenno(), "--headless '" + (folder / "junk.DE3").string() + "'", "");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("is not a valid configuration file"), std::string::npos) << run.err;

  run = RunProgram(Comfenno(), "--headless", "");
  EXPECT_EQ(run.status, 2);
}

TEST_F(HeadlessTest, TerminationWhileALogWriteIsRetriedEndsTheProgramAndSaysWhatWasLost) {
  settings.LogFilePath = (folder / "no-such-folder" / "data.log").string();
  const std::string config = WriteConfig();
  const fs::path err = folder / "stderr";
  const std::string command =
      "exec '" + Comfenno() + "' --headless --virtual '" + config + "' 2> '" + err.string() + "'";
  FILE* pipe = ::popen(command.c_str(), "w");
  ASSERT_NE(pipe, nullptr);
  std::fputs("1\r2\r", pipe);
  std::fflush(pipe);
  // Wait until the program reports the failed write, then ask it to end.
  for (int i = 0; i < 200 && ReadFile(err).find("File I/O Error") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_NE(ReadFile(err).find("File I/O Error Writing To:"), std::string::npos) << ReadFile(err);
  std::system(("pkill -TERM -f '" + config + "'").c_str());
  const int raw = ::pclose(pipe);
  EXPECT_TRUE(WIFEXITED(raw)) << raw;
  EXPECT_NE(ReadFile(err).find("2 records could not be written"), std::string::npos)
      << ReadFile(err);
}

TEST(ExampleConfigs, CommittedFilesAreWhatTheWriterProduces) {
  const fs::path source = std::getenv("FENNO_SOURCE_DIR");
  const fs::path folder =
      fs::temp_directory_path() / ("fenno-examples-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  for (const ExampleConfig& example : ExampleConfigs()) {
    testing::RecordingPrompt prompt;
    const std::string path = (folder / example.fileName).string();
    ASSERT_TRUE(WriteConfigFile(path, example.settings, *example.edition,
                                StringTable(example.edition->kind, Language::English), prompt));
    EXPECT_EQ(ReadFile(path), ReadFile(source / "examples" / example.fileName))
        << example.fileName << " is out of date: run write_examples examples";
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace fenno
