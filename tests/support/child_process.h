#pragma once

// A program under test as a child process: standard input on a pipe the test writes (or
// /dev/null), standard output and error in files. It never reaches the desktop session
// the tests run in (no display, no session bus, unless the test names its own), and it is
// ended (SIGTERM, then SIGKILL) when the object goes.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/spawn_arguments.h"
#include "support/test_files.h"
#include "support/wait.h"

extern char** environ;

namespace fenno::testing {

class ChildProcess {
 public:
  // `environment` adds to (or with an empty value removes from) the test's environment.
  ChildProcess(const std::vector<std::string>& command, const std::string& outputStem,
               const std::map<std::string, std::string>& environment = {}, bool input = false)
      : out_(outputStem + ".out"), err_(outputStem + ".err") {
    int pipe[2] = {-1, -1};
    if (input && ::pipe2(pipe, O_CLOEXEC) != 0) return;
    const SpawnArguments argv(command), envp(Environment(environment));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input)
      posix_spawn_file_actions_adddup2(&actions, pipe[0], STDIN_FILENO);
    else
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawnp(&pid_, argv.First(), &actions, nullptr, argv.List(), envp.List()) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (input) {
      ::close(pipe[0]);
      input_ = pipe[1];
    }
  }
  ~ChildProcess() {
    CloseInput();
    if (pid_ <= 0 || status_) return;
    Signal(SIGTERM);
    if (!WaitForExit(10000)) {
      Signal(SIGKILL);
      WaitForExit(10000);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  void Send(std::string_view bytes) {
    if (input_ >= 0 && ::write(input_, bytes.data(), bytes.size()) < 0) CloseInput();
  }
  void CloseInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
  }
  void Signal(int number) const {
    if (pid_ > 0 && !status_) ::kill(pid_, number);
  }
  std::string Output() const { return ReadWholeFile(out_); }
  std::string Errors() const { return ReadWholeFile(err_); }

  // Whether it ended in time; ExitCode then tells how.
  bool WaitForExit(int timeoutMs = 60000) {
    return WaitUntil([this] { return !Running(); }, timeoutMs);
  }
  bool Running() {
    int status = 0;
    if (pid_ > 0 && !status_ && ::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return pid_ > 0 && !status_;
  }
  // The exit status, or -1 while running or after a signal.
  int ExitCode() const { return status_ && WIFEXITED(*status_) ? WEXITSTATUS(*status_) : -1; }

  // Waits for a line of standard output that starts with `word`; answers the rest of the
  // line ("" when the program ended without saying it).
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
  static std::vector<std::string> Environment(std::map<std::string, std::string> changes) {
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
  int input_ = -1;
  std::optional<int> status_;
  std::string out_;
  std::string err_;
};

}  // namespace fenno::testing
