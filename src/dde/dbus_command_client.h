#pragma once

// The conversation that sends the record preamble and field postamble commands to the
// target program over the session bus: connected while the target's name has an owner,
// each command an Execute call answered within a second or given up.

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QString>

#include "engine/command_client.h"

namespace fenno {

class DbusCommandClient : public DdeClient {
 public:
  static constexpr int kExecuteTimeoutMs = 1000;

  explicit DbusCommandClient(QDBusConnection connection);

  bool Connect(const std::string& application, const std::string& topic) override;
  bool IsConnected() const override { return !service_.isEmpty(); }
  // Waits for the answer at most kExecuteTimeoutMs; meanwhile this program keeps
  // answering calls, so a target that reads the items before it answers is served.
  void Execute(std::string_view command) override;
  void Disconnect() override;

 private:
  QDBusConnection connection_;
  QDBusServiceWatcher watcher_;
  QString service_;  // empty: no conversation
};

}  // namespace fenno
