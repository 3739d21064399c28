
#include "dbus_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>

#include "spawn_arguments.h"

extern char** environ;

namespace fenno::testing {
namespace {

constexpr int kStartTimeoutMs = 10000;

// Reads the address line the daemon prints; empty when it says nothing for kStartTimeoutMs.
std::string ReadAddress(int fd) {
  std::string line;
  pollfd p{fd, POLLIN, 0};
  while (line.find('\n') == std::string::npos && ::poll(&p, 1, kStartTimeoutMs) > 0) {
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return {};
    line.append(buffer, static_cast<size_t>(n));
  }
  const size_t end = line.find('\n');
  return end == std::string::npos ? std::string() : line.substr(0, end);
}

pid_t SpawnDaemon(int addressFd) {
  const testing::SpawnArguments argv(
      {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=3"});
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, addressFd, 3);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv.First(), &actions, nullptr, argv.List(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int connectionCounter = 0;

void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "fenno-test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

}  // namespace

void PumpEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

std::unique_ptr<DbusSession> DbusSession::Start(std::string* why) {
  EnsureQtApplication();
  if (std::system("command -v dbus-daemon >/dev/null 2>&1") != 0) {
    if (why) *why = "dbus-daemon is not installed";
    return nullptr;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    if (why) *why = "no pipe";
    return nullptr;
  }
  std::unique_ptr<DbusSession> session(new DbusSession);
  session->daemon_ = SpawnDaemon(fds[1]);
  ::close(fds[1]);
  session->address_ = session->daemon_ > 0 ? ReadAddress(fds[0]) : std::string();
  ::close(fds[0]);
  if (session->address_.empty()) {
    if (why) *why = "dbus-daemon did not start";
    return nullptr;
  }
  return session;
}

DbusSession::~DbusSession() {
  for (const QString& name : connections_) QDBusConnection::disconnectFromBus(name);
  if (daemon_ > 0) {
    ::kill(daemon_, SIGTERM);
    ::waitpid(daemon_, nullptr, 0);
  }
}

QDBusConnection DbusSession::Connect() {
  const QString name = QStringLiteral("fenno-test-bus-%1").arg(++connectionCounter);
  connections_.push_back(name);
  return QDBusConnection::connectToBus(QString::fromStdString(address_), name);
}

bool DbusSession::HasOwner(const std::string& name) {
  if (probe_.isEmpty()) probe_ = Connect().name();
  QDBusConnection probe(probe_);
  return probe.interface()->isServiceRegistered(QString::fromStdString(name)).value();
}

}  // namespace fenno::testing
