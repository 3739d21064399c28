#pragma once

// Shared by the end-to-end transport tests: the programs and the device simulator run as
// child processes, each in a folder of its own, with output captured in files. Waiting
// polls for a condition with a generous deadline; only a hang turns into a failure.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/config_file.h"
#include "config/settings.h"
#include "support/recording_prompt.h"
#include "support/spawn_arguments.h"
#include "base/string_table.h"

extern char** environ;

namespace fenno::testing {

namespace fs = std::filesystem;

inline constexpr std::chrono::seconds kGenerousDeadline{60};

inline std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Polls `done` every 20 ms until it holds or the deadline passes; answers whether it held.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::seconds deadline = kGenerousDeadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// A folder of its own under the test's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : path_(fs::path(::testing::TempDir()) /
              ("fenno-" + name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

// A child process whose standard output and error go to files; it is ended (SIGTERM, then
// SIGKILL) when the object goes, unless it has already been waited for.
class ChildProcess {
 public:
  // `environment` adds to (or with an empty value removes from) the test's environment.
  ChildProcess(const std::vector<std::string>& command, const fs::path& outputStem,
               const std::map<std::string, std::string>& environment = {})
      : out_(outputStem.string() + ".out"), err_(outputStem.string() + ".err") {
    const testing::SpawnArguments argv(command), envp(MergedEnvironment(environment));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawnp(&pid_, argv.First(), &actions, nullptr, argv.List(), envp.List()) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() {
    if (pid_ <= 0 || status_) return;
    Signal(SIGTERM);
    if (!WaitForExit(std::chrono::seconds(10))) {
      Signal(SIGKILL);
      WaitForExit(std::chrono::seconds(10));
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  void Signal(int number) const {
    if (pid_ > 0 && !status_) ::kill(pid_, number);
  }
  std::string Output() const { return ReadWholeFile(out_); }
  std::string Errors() const { return ReadWholeFile(err_); }

  // Whether it ended within `deadline`; ExitCode then tells how.
  bool WaitForExit(std::chrono::seconds deadline = kGenerousDeadline) {
    return WaitUntil([this] { return Reaped(); }, deadline);
  }
  bool Running() { return !Reaped(); }
  // The exit status, or -1 while running or after a signal.
  int ExitCode() const { return status_ && WIFEXITED(*status_) ? WEXITSTATUS(*status_) : -1; }

  // Waits for a line of standard output that starts with `word`; answers the rest of the
  // line ("" when it ended without saying it).
  std::string WaitForLine(const std::string& word) {
    std::string rest;
    WaitUntil([&] {
      std::istringstream lines(Output());
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind(word, 0) != 0) continue;
        rest = line.size() > word.size() ? line.substr(word.size() + 1) : "-";
        return true;
      }
      return !Running();
    });
    return rest;
  }

 private:
  bool Reaped() {
    if (pid_ <= 0) return true;
    if (status_) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return status_.has_value();
  }

  // The test's environment with `changes` applied. Children never reach the desktop
  // session the tests run in: no display, no session bus.
  static std::vector<std::string> MergedEnvironment(std::map<std::string, std::string> changes) {
    changes.emplace("DISPLAY", "");
    changes.emplace("DBUS_SESSION_BUS_ADDRESS", "");
    changes.emplace("LANG", "C");
    changes.emplace("LC_ALL", "");
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
      const std::string variable = *entry;
      if (!changes.count(variable.substr(0, variable.find('=')))) variables.push_back(variable);
    }
    for (const auto& [name, value] : changes)
      if (!value.empty()) variables.push_back(name + "=" + value);
    return variables;
  }

  pid_t pid_ = -1;
  std::optional<int> status_;
  std::string out_;
  std::string err_;
};

inline std::string SourceDir() {
  const char* source = std::getenv("FENNO_SOURCE_DIR");
  return source ? source : fs::path(__FILE__).parent_path().parent_path().parent_path().string();
}

// The device simulator of tools/ with the given arguments.
inline std::unique_ptr<ChildProcess> StartSimulator(const std::vector<std::string>& arguments,
                                                    const fs::path& outputStem) {
  std::vector<std::string> command = {"python3", "-u", SourceDir() + "/tools/device_simulator.py"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return std::make_unique<ChildProcess>(command, outputStem);
}

inline std::string Comfenno() {
  return std::getenv("COMFENNO_BIN");
}
inline std::string Netfenno() {
  return std::getenv("NETFENNO_BIN");
}

// Writes `settings` as a configuration file with the program's own writer.
inline void WriteConfiguration(const std::string& path, const Settings& settings,
                               const Edition& edition) {
  RecordingPrompt prompt;
  ASSERT_TRUE(WriteConfigFile(path, settings, edition, StringTable(edition.kind, Language::English),
                              prompt));
}

// Points port `portName` at `devicePath` in the per-user store of the serial program kept
// under `configHome` (what XDG_CONFIG_HOME names for the program).
inline void AssignPort(const fs::path& configHome, const std::string& portName,
                       const std::string& devicePath) {
  fs::create_directories(configHome / "Comfenno");
  std::ofstream(configHome / "Comfenno" / "Comfenno.ini") << "[Ports]\n"
                                                          << portName << "=" << devicePath << "\n";
}

// Sequence numbers of the balance weighings in a log, in the order of its lines.
inline std::vector<long> WeighingNumbers(const std::string& log) {
  static const std::regex weighing("N(\\d{6}) +[+-][0-9.]+ g\r*\n");
  std::vector<long> numbers;
  for (std::sregex_iterator it(log.begin(), log.end(), weighing), end; it != end; ++it)
    numbers.push_back(std::stol((*it)[1]));
  return numbers;
}

// The number of lines of `text`.
inline size_t LineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// How often `piece` occurs in `text`.
inline size_t Occurrences(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

// Acknowledgements (ACK) that reached the simulated device, as the simulator shows them.
inline size_t AcksReceived(const ChildProcess& simulator) {
  return Occurrences(simulator.Errors(), "\\x06");
}

// Settings that log balance weighings (CR LF after each) and acknowledge each with ACK.
inline Settings BalanceToLog(const Edition& edition, const fs::path& folder,
                             const std::string& logPath) {
  Settings settings = Settings::Defaults(edition, folder.string());
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = logPath;
  settings.PreInputTranslation[10] = kIgnoreEntry;
  settings.AckString = "\x06";
  return settings;
}

// Ends a program as a service manager would and checks that it ended well.
inline void Terminate(ChildProcess& program) {
  program.Signal(SIGTERM);
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(program.ExitCode(), 0) << program.Errors();
}

// Every line of the log is one whole weighing, and they come in the order weighed.
inline void ExpectWholeOrderedLines(const std::string& log) {
  const std::vector<long> numbers = WeighingNumbers(log);
  EXPECT_EQ(numbers.size(), LineCount(log)) << log;
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()) &&
              std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end())
      << log;
}

// Each number one more than the one before.
inline bool Consecutive(const std::vector<long>& numbers) {
  for (size_t i = 1; i < numbers.size(); ++i)
    if (numbers[i] != numbers[i - 1] + 1) return false;
  return true;
}

}  // namespace fenno::testing
