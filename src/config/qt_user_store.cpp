#include "config/qt_user_store.h"

#include <QSettings>
#include <QString>
#include <cstdlib>

#include "base/qt_text.h"
#include "config/settings.h"

namespace fenno {
namespace {

std::string ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
  return HomeFolder() + "/.config";
}

}  // namespace

IniUserStore::IniUserStore(std::string programName) : programName_(std::move(programName)) {}

std::string IniUserStore::FilePath(const std::string& application) const {
  return ConfigFolder() + "/" + programName_ + "/" + application + ".ini";
}

std::optional<std::string> IniUserStore::Get(const std::string& application,
                                             const std::string& section,
                                             const std::string& key) const {
  const QSettings ini(FromPath(FilePath(application)), QSettings::IniFormat);
  const QVariant value = ini.value(FromPath(section + "/" + key));
  if (!value.isValid()) return std::nullopt;
  return ToPath(value.toString());
}

void IniUserStore::Set(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) {
  QSettings ini(FromPath(FilePath(application)), QSettings::IniFormat);
  ini.setValue(FromPath(section + "/" + key), FromPath(value));
  ini.sync();
}

}  // namespace fenno
