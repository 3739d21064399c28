#include "dde/dbus_server.h"

#include <QDBusMessage>
#include <QStringList>
#include <QTimer>

#include "dde/dbus_text.h"
#include "dde/dde_names.h"

namespace fenno {
namespace {

const char kIntrospection[] =
    "  <interface name=\"dde.Conversation\">\n"
    "    <method name=\"Request\">\n"
    "      <arg name=\"item\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"value\" type=\"s\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <method name=\"Items\">\n"
    "      <arg name=\"items\" type=\"as\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <method name=\"Execute\">\n"
    "      <arg name=\"command\" type=\"s\" direction=\"in\"/>\n"
    "      <arg name=\"accepted\" type=\"b\" direction=\"out\"/>\n"
    "    </method>\n"
    "    <signal name=\"Advise\">\n"
    "      <arg name=\"item\" type=\"s\"/>\n"
    "      <arg name=\"value\" type=\"s\"/>\n"
    "    </signal>\n"
    "  </interface>\n";

bool HasStringArgument(const QDBusMessage& message) {
  return message.signature() == QLatin1String("s");
}

QDBusMessage InvalidArguments(const QDBusMessage& message) {
  return message.createErrorReply(QDBusError::InvalidArgs,
                                  QStringLiteral("expected one string argument"));
}

}  // namespace

DbusServer::DbusServer(QDBusConnection connection, EngineControl& engine, CommandHandler execute,
                       std::string_view program, std::string topic)
    : connection_(std::move(connection)),
      engine_(engine),
      execute_(std::move(execute)),
      topic_(std::move(topic)),
      serviceName_(DdeServiceName(program, topic_).value_or(std::string())) {
  for (int field = 1; field <= kMaxFields; ++field)
    fieldNames_[static_cast<size_t>(field)] = FieldItemName(field);
}

DbusServer::~DbusServer() {
  Stop();
}

bool DbusServer::Start() {
  if (serving_) return true;
  if (serviceName_.empty() || !connection_.isConnected()) return false;
  if (!connection_.registerVirtualObject(kDdeObjectPath, this)) return false;
  if (!connection_.registerService(FromBytes(serviceName_))) {
    connection_.unregisterObject(kDdeObjectPath);
    return false;
  }
  serving_ = true;
  return true;
}

void DbusServer::Stop() {
  if (!serving_) return;
  serving_ = false;
  connection_.unregisterService(FromBytes(serviceName_));
  connection_.unregisterObject(kDdeObjectPath);
}

QString DbusServer::introspect(const QString&) const {
  return QLatin1String(kIntrospection);
}

bool DbusServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  if (!message.interface().isEmpty() && message.interface() != QLatin1String(kDdeInterface))
    return false;
  QDBusMessage reply;
  const QString member = message.member();
  if (member == QLatin1String("Request"))
    reply = Request(message);
  else if (member == QLatin1String("Items"))
    reply = Items(message);
  else if (member == QLatin1String("Execute"))
    reply = Execute(message);
  else
    return false;
  connection.send(reply);
  return true;
}

QDBusMessage DbusServer::Request(const QDBusMessage& message) const {
  if (!HasStringArgument(message)) return InvalidArguments(message);
  const QString name = message.arguments()[0].toString();
  const std::optional<std::string> item = ToBytesExactly(name);
  const std::optional<ItemRef> ref =
      item ? FindItem(*item, engine_.settings().FieldCount) : std::nullopt;
  if (!ref) {
    const int fields = engine_.settings().FieldCount;
    return message.createErrorReply(
        QLatin1String(kUnknownItemError),
        QStringLiteral("No item \"%1\" here; the items are Field(1) .. Field(%2), DateTime and "
                       "RecordNumber")
            .arg(name)
            .arg(fields));
  }
  switch (ref->kind) {
    case ItemRef::Kind::Field:
      return message.createReply(FromBytes(engine_.FieldText(ref->field)));
    case ItemRef::Kind::DateTime:
      return message.createReply(FromBytes(engine_.DateTimeText()));
    default:
      return message.createReply(FromBytes(engine_.RecordNumberText()));
  }
}

QDBusMessage DbusServer::Items(const QDBusMessage& message) const {
  QStringList names;
  for (const std::string& name : ServedItemNames(engine_.settings().FieldCount))
    names << FromBytes(name);
  return message.createReply(names);
}

// A command holding a character beyond code 255 cannot be meant for an 8-bit device and
// is refused rather than sent garbled.
QDBusMessage DbusServer::Execute(const QDBusMessage& message) {
  if (!HasStringArgument(message)) return InvalidArguments(message);
  const std::optional<std::string> command = ToBytesExactly(message.arguments()[0].toString());
  const bool accepted = command && execute_ && execute_(*command);
  return message.createReply(accepted);
}

void DbusServer::Advise(std::string_view item, const std::string& value) {
  if (!serving_) return;
  if (!turnEndQueued_) {
    turnEndQueued_ = true;
    QTimer::singleShot(0, this, [this] { EndAdviseTurn(); });
  }
  if (budget_.Admit(item, value)) SendAdvise(item, value);
}

void DbusServer::EndAdviseTurn() {
  turnEndQueued_ = false;
  for (const AdviseBudget::Change& change : budget_.EndTurn()) {
    if (serving_) SendAdvise(change.first, change.second);
  }
}

void DbusServer::SendAdvise(std::string_view item, const std::string& value) {
  QDBusMessage signal =
      QDBusMessage::createSignal(kDdeObjectPath, kDdeInterface, QStringLiteral("Advise"));
  signal << FromBytes(item) << FromBytes(value);
  connection_.send(signal);
}

void DbusServer::OnFieldText(int field, const std::string& text) {
  if (!serving_) return;
  if (field >= 1 && field <= kMaxFields)
    return Advise(fieldNames_[static_cast<size_t>(field)], text);
  Advise(FieldItemName(field), text);
}

void DbusServer::OnRecordNumber(const std::string& text) {
  Advise(kRecordNumberItem, text);
}

void DbusServer::OnDateTime(const std::string& text) {
  Advise(kDateTimeItem, text);
}

}  // namespace fenno
