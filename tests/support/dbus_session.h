#pragma once

// A private session bus for tests: its own dbus-daemon, connections to it, and the
// environment that points started programs at it. The desktop's own session bus is never
// touched. Everything started is ended with the session.

#include <QDBusConnection>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/wait.h"

namespace fenno::testing {

// A QCoreApplication for tests that need Qt's event loop (once per process; a test that
// needs a QGuiApplication creates that first).
// Runs Qt events for `ms` milliseconds.
void PumpEventsFor(int ms);

class DbusSession {
 public:
  // Starts the daemon; nullptr and `why` when that is not possible.
  static std::unique_ptr<DbusSession> Start(std::string* why = nullptr);
  ~DbusSession();
  DbusSession(const DbusSession&) = delete;
  DbusSession& operator=(const DbusSession&) = delete;

  const std::string& Address() const { return address_; }
  // A new connection to this bus (each has its own unique name), closed with the session.
  QDBusConnection Connect();
  // True when `name` has an owner on this bus.
  bool HasOwner(const std::string& name);

 private:
  DbusSession() = default;

  pid_t daemon_ = -1;
  std::string address_;
  std::vector<QString> connections_;
  QString probe_;
};

}  // namespace fenno::testing
