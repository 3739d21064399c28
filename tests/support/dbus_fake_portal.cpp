#include "dbus_fake_portal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace fenno::testing {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSessionPath = QStringLiteral("/org/freedesktop/portal/desktop/session/test/fenno");
const QString kShortcutsSessionPath =
    QStringLiteral("/org/freedesktop/portal/desktop/session/test/fennokeys");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

}  // namespace

FakePortal::FakePortal(QDBusConnection connection) : connection_(std::move(connection)) {}

FakePortal::~FakePortal() {
  if (!serving_) return;
  connection_.unregisterService(kService);
  connection_.unregisterObject(kPath, QDBusConnection::UnregisterTree);
}

bool FakePortal::Serve() {
  serving_ = connection_.registerVirtualObject(kPath, this, QDBusConnection::SubPath) &&
             connection_.registerService(kService);
  return serving_;
}

std::string FakePortal::DevicesCall(const QVariantMap& options) const {
  std::string line = "SelectDevices types=" + std::to_string(options.value("types").toUInt());
  if (options.contains("persist_mode"))
    line += " persist=" + std::to_string(options.value("persist_mode").toUInt());
  if (options.contains("restore_token"))
    line += " token=" + options.value("restore_token").toString().toStdString();
  return line;
}

bool FakePortal::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  const QString member = message.member();
  const QVariantList args = message.arguments();
  if (member == "Get") {
    const uint asked = args.value(0).toString() == kShortcutsInterface ? shortcutsVersion
                       : args.value(0).toString() == "org.freedesktop.portal.RemoteDesktop"
                           ? version
                           : 0;
    connection.send(asked == 0 ? message.createErrorReply(QDBusError::UnknownInterface, "none")
                               : message.createReply(QVariant::fromValue(QDBusVariant(asked))));
    return true;
  }
  if (message.interface() == kShortcutsInterface) return HandleShortcuts(message, connection);
  if (member == "CreateSession") {
    calls.push_back("CreateSession");
    Respond(message, connection, 0, {{"session_handle", kSessionPath}});
  } else if (member == "SelectDevices") {
    calls.push_back(DevicesCall(qdbus_cast<QVariantMap>(args.value(1))));
    Respond(message, connection, 0, {});
  } else if (member == "Start") {
    calls.push_back("Start");
    QVariantMap results{{"devices", 1u}};
    if (!nextRestoreToken.empty())
      results.insert("restore_token", QString::fromStdString(nextRestoreToken));
    Respond(message, connection, startResponse, startResponse == 0 ? results : QVariantMap());
  } else if (member == "NotifyKeyboardKeycode" || member == "NotifyKeyboardKeysym") {
    const bool keysym = member == "NotifyKeyboardKeysym";
    if (keysym && !acceptKeysyms) {
      connection.send(message.createErrorReply(QDBusError::NotSupported, "no keysyms"));
      return true;
    }
    calls.push_back((keysym ? "sym " : "key ") + std::to_string(args.value(2).toInt()) +
                    (args.value(3).toUInt() ? " down" : " up"));
    connection.send(message.createReply());
  } else if (member == "Close") {
    calls.push_back(message.path() == kShortcutsSessionPath ? "CloseShortcuts" : "Close");
    connection.send(message.createReply());
  } else {
    return false;
  }
  return true;
}

bool FakePortal::HandleShortcuts(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.member() == "CreateSession") {
    calls.push_back("CreateShortcutsSession");
    Respond(message, connection, 0, {{"session_handle", kShortcutsSessionPath}});
    return true;
  }
  if (message.member() != "BindShortcuts") return false;
  std::string line = "BindShortcuts";
  const QDBusArgument shortcuts = message.arguments().value(1).value<QDBusArgument>();
  shortcuts.beginArray();
  while (!shortcuts.atEnd()) {
    QString id;
    QVariantMap properties;
    shortcuts.beginStructure();
    shortcuts >> id >> properties;
    shortcuts.endStructure();
    line += " " + id.toStdString() + "=" +
            properties.value("preferred_trigger").toString().toStdString();
  }
  shortcuts.endArray();
  calls.push_back(line);
  Respond(message, connection, 0, {});
  return true;
}

void FakePortal::EndSession() {
  QDBusMessage signal = QDBusMessage::createSignal(
      kSessionPath, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"));
  signal << QVariantMap();
  connection_.send(signal);
}

void FakePortal::Shortcut(const std::string& id, bool press) {
  QDBusMessage signal =
      QDBusMessage::createSignal(kPath, kShortcutsInterface, press ? "Activated" : "Deactivated");
  signal << QVariant::fromValue(QDBusObjectPath(kShortcutsSessionPath))
         << QString::fromStdString(id) << qulonglong(0) << QVariantMap();
  connection_.send(signal);
}

// Answers with the request object's path, then sends its Response, as the portal does.
void FakePortal::Respond(const QDBusMessage& call, const QDBusConnection& connection, uint response,
                         const QVariantMap& results) {
  const QVariantMap options = qdbus_cast<QVariantMap>(call.arguments().constLast());
  QString sender = call.service().mid(1).replace('.', '_');
  const QString path =
      kPath + "/request/" + sender + "/" + options.value("handle_token").toString();
  connection.send(call.createReply(QVariant::fromValue(QDBusObjectPath(path))));
  QDBusMessage signal = QDBusMessage::createSignal(
      path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
  signal << response << results;
  connection.send(signal);
}

}  // namespace fenno::testing
