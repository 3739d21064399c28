#include "config/user_store.h"

#include <QSettings>
#include <QString>

#include <cstdlib>

#include "config/settings.h"

namespace fenno {
namespace {

QString ToQ(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

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
  const QSettings ini(ToQ(FilePath(application)), QSettings::IniFormat);
  const QVariant value = ini.value(ToQ(section + "/" + key));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

void IniUserStore::Set(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) {
  QSettings ini(ToQ(FilePath(application)), QSettings::IniFormat);
  ini.setValue(ToQ(section + "/" + key), ToQ(value));
  ini.sync();
}

std::optional<std::string> MemoryUserStore::Get(const std::string& application,
                                                const std::string& section,
                                                const std::string& key) const {
  const auto it = values_.find({application, section, key});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemoryUserStore::Set(const std::string& application, const std::string& section,
                          const std::string& key, const std::string& value) {
  values_[{application, section, key}] = value;
}

}  // namespace fenno
