#include "dde/dbus_command_client.h"

#include <QDBusConnectionInterface>

#include "dde/dbus_text.h"
#include "dde/dde_names.h"

namespace fenno {

DbusCommandClient::DbusCommandClient(QDBusConnection connection)
    : connection_(std::move(connection)) {
  watcher_.setConnection(connection_);
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  // The target leaving ends the conversation; the next record connects again.
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, &watcher_,
                   [this](const QString& service) {
                     if (service == service_) Disconnect();
                   });
}

bool DbusCommandClient::Connect(const std::string& application, const std::string& topic) {
  Disconnect();
  const std::optional<std::string> name = DdeServiceName(application, topic);
  if (!name || !connection_.isConnected()) return false;
  const QString service = FromBytes(*name);
  // Watch first, so that an owner leaving right after the check is not missed.
  watcher_.setWatchedServices({service});
  QDBusConnectionInterface* bus = connection_.interface();
  if (!bus || !bus->isServiceRegistered(service).value()) {
    watcher_.setWatchedServices({});
    return false;
  }
  service_ = service;
  return true;
}

void DbusCommandClient::Execute(std::string_view command) {
  if (command.empty() || service_.isEmpty()) return;
  CallAndWait(connection_,
              ConversationCall(service_, QStringLiteral("Execute"), FromBytes(command)),
              kExecuteTimeoutMs);
}

void DbusCommandClient::Disconnect() {
  service_.clear();
  watcher_.setWatchedServices({});
}

}  // namespace fenno
