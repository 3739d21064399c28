#include "keys/dbus_gnome_windows.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>

#include "base/qt_text.h"

namespace fenno {
namespace {

QDBusMessage WindowsCall(const char* method) {
  return QDBusMessage::createMethodCall(
      QString::fromLatin1(kGnomeWindowsService), QStringLiteral("/org/fenno/Windows"),
      QStringLiteral("org.fenno.Windows"), QString::fromLatin1(method));
}

}  // namespace

bool GnomeExtensionWindows::Available(const QDBusConnection& bus) {
  return bus.isConnected() &&
         bus.interface()->isServiceRegistered(QString::fromLatin1(kGnomeWindowsService));
}

std::optional<FocusedTarget> GnomeExtensionWindows::Focus(const std::string& titlePiece) {
  QDBusMessage call = WindowsCall("Focus");
  call << FromBytes(titlePiece) << static_cast<qint64>(::getpid());
  // The Shell answers while this program keeps serving its own bus calls.
  QDBusPendingCall pending = bus_.asyncCall(call, kAnswerTimeoutMs);
  if (!pending.isFinished()) {
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  const QDBusMessage answer = pending.reply();
  if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 4)
    return std::nullopt;
  const QVariantList values = answer.arguments();
  return FocusedTarget{values[0].toBool(), ToUtf8(values[1].toString()),
                       ToUtf8(values[2].toString()), values[3].toBool()};
}

void GnomeExtensionWindows::GiveBack(const FocusedTarget& focused) {
  QDBusMessage call = WindowsCall("GiveBack");
  call << FromUtf8(focused.target) << FromUtf8(focused.previous) << focused.wasMinimized;
  bus_.send(call);
}

}  // namespace fenno
