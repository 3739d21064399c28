#include "keys/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

extern char** environ;

namespace fenno {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

// The path exec will run, found before forking since the child may only make system calls.
int ResolveProgram(const std::string& name, std::string& path) {
  if (name.empty()) return ENOENT;
  if (name.find('/') != std::string::npos) {
    path = name;
    return 0;
  }
  const char* searchPath = std::getenv("PATH");
  std::string folders = searchPath ? searchPath : "/usr/local/bin:/usr/bin:/bin";
  int error = ENOENT;
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end == start ? "." : folders.substr(start, end - start);
    const std::string candidate = folder + "/" + name;
    if (IsExecutableFile(candidate)) {
      path = candidate;
      return 0;
    }
    if (::access(candidate.c_str(), F_OK) == 0) error = EACCES;
    start = end + 1;
  }
  return error;
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const std::string item = *entry;
    const std::string name = item.substr(0, item.find('=') + 1);
    bool replaced = false;
    for (const std::string& e : extra) replaced = replaced || e.compare(0, name.size(), name) == 0;
    if (!replaced) merged.push_back(item);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Runs in the forked child: only async-signal-safe calls from here on.
[[noreturn]] void ExecGrandchild(const char* path, char* const* argv, char* const* envp,
                                 int errorPipe) {
  ::setsid();
  if (::fork() != 0) ::_exit(0);  // the intermediate child ends; the program is orphaned
  ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &defaults, nullptr);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(path, argv, envp);
  const int error = errno;
  [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
  ::_exit(127);
}

}  // namespace

int StartDetached(const std::vector<std::string>& words,
                  const std::vector<std::string>& extraEnvironment) {
  if (words.empty()) return ENOENT;
  std::string path;
  if (const int error = ResolveProgram(words[0], path); error != 0) return error;
  std::vector<std::string> arguments = words;
  std::vector<std::string> environment = MergedEnvironment(extraEnvironment);
  const std::vector<char*> argv = Pointers(arguments);
  const std::vector<char*> envp = Pointers(environment);
  int errorPipe[2];
  if (::pipe2(errorPipe, O_CLOEXEC) != 0) return errno;
  const pid_t child = ::fork();
  if (child == 0) ExecGrandchild(path.c_str(), argv.data(), envp.data(), errorPipe[1]);
  ::close(errorPipe[1]);
  int error = child < 0 ? errno : 0;
  if (child > 0) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes when exec succeeds; otherwise it carries the reason.
    ssize_t got = 0;
    while ((got = ::read(errorPipe[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got != static_cast<ssize_t>(sizeof error)) error = 0;
  }
  ::close(errorPipe[0]);
  return error;
}

}  // namespace fenno
