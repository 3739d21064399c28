#include "config/settings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace fenno {

std::array<std::string, kTableSize> DefaultPreInputTranslation() {
  std::array<std::string, kTableSize> table;
  for (int code = 0; code < kTableSize; ++code)
    table[code] = std::string(1, static_cast<char>(code));
  return table;
}

std::array<std::string, kTableSize> DefaultKeystrokeTranslation() {
  std::array<std::string, kTableSize> table;
  for (int code = 0; code < kTableSize; ++code) {
    const bool control = code < 32 || (code >= 128 && code < 160);
    table[code] = control ? std::string(kNulEntry) : std::string(1, static_cast<char>(code));
  }
  // Characters that mean something in the key macro language are sent literally.
  table[8] = "{BACKSPACE}";
  table[9] = "{TAB}";
  table[13] = "{ENTER}";
  table[32] = " ";
  table['%'] = "{%}";
  table['('] = "{(}";
  table[')'] = "{)}";
  table['+'] = "{+}";
  table['['] = "{[}";
  table[']'] = "{]}";
  table['^'] = "{^}";
  table['{'] = "{{}";
  table['}'] = "{}}";
  table['~'] = "{~}";
  table[127] = "{DELETE}";
  table[160] = " ";
  return table;
}

std::string DefaultDdeTranslation() {
  std::string table(kTableSize, '\0');
  for (int code = 32; code < kTableSize; ++code) table[code] = static_cast<char>(code);
  return table;
}

std::string DefaultLogTranslation() {
  std::string table(kTableSize, '\0');
  for (int code = 0; code < kTableSize; ++code) table[code] = static_cast<char>(code);
  return table;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return {};
}

std::string DefaultLogFilePath(const Edition& edition, const std::string& homeFolder) {
  std::string path = homeFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += edition.defaultLogFileName;
  return path;
}

Settings Settings::Defaults(const Edition& edition, const std::string& homeFolder) {
  Settings s;
  s.LogFilePath = DefaultLogFilePath(edition, homeFolder);
  s.PreInputTranslation = DefaultPreInputTranslation();
  s.DdeTranslation = DefaultDdeTranslation();
  s.LogTranslation = DefaultLogTranslation();
  s.KeystrokeTranslation = DefaultKeystrokeTranslation();
  for (int i = 1; i <= kOutputStrings; ++i) {
    s.ButtonCaption[i] = "String" + std::to_string(i);
    s.FieldFilter[i] = "C";
    s.FieldFilter[i + kOutputStrings] = "C";
  }
  return s;
}

int32_t BaudRateOfIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kBaudRates.size())) return 9600;
  return kBaudRates[static_cast<size_t>(index)];
}

int BaudIndexOfRate(int32_t rate) {
  for (size_t i = 0; i < kBaudRates.size(); ++i)
    if (kBaudRates[i] == rate) return static_cast<int>(i);
  return -1;
}

std::string PortNameOf(int16_t portIndex) {
  return "COM" + std::to_string(portIndex + 1);
}

const std::array<std::string, kNamedFormats + 1>& FixedFormatNames() {
  static const std::array<std::string, kNamedFormats + 1> names = {
      "", "General Number", "Currency", "Fixed", "Standard", "Percent", "Scientific"};
  return names;
}

}  // namespace fenno
