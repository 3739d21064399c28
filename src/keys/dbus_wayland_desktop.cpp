#include "keys/dbus_wayland_desktop.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>

#include "base/qt_text.h"

namespace fenno {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::optional<LayoutName> GnomeLayout() {
  QProcess gsettings;
  gsettings.start(QStringLiteral("gsettings"),
                  {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.input-sources"),
                   QStringLiteral("sources")});
  if (!gsettings.waitForFinished(5000)) return std::nullopt;
  return LayoutFromGnomeSources(gsettings.readAllStandardOutput().toStdString());
}

std::optional<LayoutName> KdeLayout() {
  QFile settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/kxkbrc"));
  if (!settings.open(QIODevice::ReadOnly)) return std::nullopt;
  return LayoutFromKdeSettings(settings.readAll().toStdString());
}

}  // namespace

SessionClues ReadSessionClues(const QDBusConnection& bus) {
  SessionClues clues{Environment("XDG_SESSION_TYPE"),
                     Environment("WAYLAND_DISPLAY"),
                     Environment("XDG_CURRENT_DESKTOP"),
                     Environment("KDE_SESSION_VERSION"),
                     {}};
  // An X11 session needs nothing from the bus.
  if (DetectDesktopSession(clues).display == DisplayServer::X11) return clues;
  if (const QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr)
    for (const char* name : {kGnomeShellBusName, kKwinBusName})
      if (names->isServiceRegistered(QString::fromLatin1(name))) clues.busNames.push_back(name);
  return clues;
}

LayoutName ReadDesktopLayout(DesktopKind desktop) {
  if (const std::string layout = Environment("XKB_DEFAULT_LAYOUT"); !layout.empty())
    return {layout.substr(0, layout.find(',')), Environment("XKB_DEFAULT_VARIANT")};
  std::optional<LayoutName> found;
  if (desktop == DesktopKind::Gnome) found = GnomeLayout();
  if (desktop == DesktopKind::Kde) found = KdeLayout();
  return found.value_or(LayoutName{});
}

bool CapsLockLightOn() {
  const QDir leds(QStringLiteral("/sys/class/leds"));
  for (const QString& led : leds.entryList({QStringLiteral("*::capslock")}, QDir::AllEntries)) {
    QFile brightness(leds.filePath(led) + QStringLiteral("/brightness"));
    if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed() != "0") return true;
  }
  return false;
}

}  // namespace fenno
