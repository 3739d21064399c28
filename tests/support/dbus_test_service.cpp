#include "dbus_test_service.h"

#include <QDBusMessage>

#include "dde/dbus_text.h"

namespace fenno::testing {

DbusTestService::DbusTestService(QDBusConnection connection) : connection_(std::move(connection)) {}

DbusTestService::~DbusTestService() {
  Leave();
}

bool DbusTestService::Serve(const std::string& serviceName) {
  Leave();
  if (!connection_.registerVirtualObject(kDdeObjectPath, this)) return false;
  serviceName_ = QString::fromStdString(serviceName);
  return connection_.registerService(serviceName_);
}

void DbusTestService::Leave() {
  if (serviceName_.isEmpty()) return;
  connection_.unregisterService(serviceName_);
  connection_.unregisterObject(kDdeObjectPath);
  serviceName_.clear();
}

void DbusTestService::SetItem(const std::string& item, const std::string& value, bool advise) {
  items_[item] = value;
  if (!advise) return;
  QDBusMessage signal =
      QDBusMessage::createSignal(kDdeObjectPath, kDdeInterface, QStringLiteral("Advise"));
  signal << FromBytes(item) << FromBytes(value);
  connection_.send(signal);
}

QString DbusTestService::introspect(const QString&) const {
  return {};
}

bool DbusTestService::handleMessage(const QDBusMessage& message,
                                    const QDBusConnection& connection) {
  const QString member = message.member();
  const std::string argument =
      message.arguments().isEmpty()
          ? std::string()
          : ToBytesExactly(message.arguments()[0].toString()).value_or(std::string());
  if (member == QLatin1String("Request")) {
    const auto item = items_.find(argument);
    connection.send(item == items_.end()
                        ? message.createErrorReply(QLatin1String(kUnknownItemError), "no item")
                        : message.createReply(FromBytes(item->second)));
    return true;
  }
  if (member == QLatin1String("Execute")) {
    executed.push_back(argument);
    if (onExecute) onExecute(argument);
    if (answerExecute) connection.send(message.createReply(true));
    return true;
  }
  return false;
}

}  // namespace fenno::testing
