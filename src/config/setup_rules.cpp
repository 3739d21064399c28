#include "config/setup_rules.h"

#include <array>
#include <cctype>

#include "base/string_ids.h"

namespace fenno {
namespace {

constexpr std::array<PreferenceItem, 7> kPreferenceItems{{
    {Preference::BeepOnInput, "PortControl", str::kMenuPortControl},
    {Preference::StartSuspended, "ActDisable", str::kMenuActDisable},
    {Preference::MinimizeOnActivation, "MiniFenno", str::kMenuMiniFenno},
    {Preference::AlwaysOnTop, "OnTop", str::kMenuOnTop},
    {Preference::DisplayDtr, "DisplayDTR", str::kMenuDisplayDtr},
    {Preference::DisplayBreak, "DisplayBrk", str::kMenuDisplayBrk},
    {Preference::ShowDateTime, "DateTime", str::kMenuDateTime},
}};

// The flag a preference toggles, or null for the two engine-button bits.
template <class S>
auto FlagOf(Preference preference, S& settings) -> decltype(&settings.BeepOnInput) {
  switch (preference) {
    case Preference::BeepOnInput:
      return &settings.BeepOnInput;
    case Preference::StartSuspended:
      return &settings.StartSuspended;
    case Preference::MinimizeOnActivation:
      return &settings.MinimizeOnActivation;
    case Preference::AlwaysOnTop:
      return &settings.AlwaysOnTop;
    case Preference::ShowDateTime:
      return &settings.ShowDateTime;
    case Preference::DisplayDtr:
    case Preference::DisplayBreak:
      break;
  }
  return nullptr;
}

int16_t ButtonBitOf(Preference preference) {
  return preference == Preference::DisplayDtr ? kShowDtrButton : kShowBreakButton;
}

// The leading whole number of a text as Val reads it (spaces, a sign, digits); 0 without one.
long LeadingNumber(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  long number = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    number = number * 10 + (text[at] - '0');
    if (number > 1'000'000'000) break;
  }
  return negative ? -number : number;
}

}  // namespace

std::string SetupCaption(const StringTable& strings, const std::string& configFileName) {
  if (configFileName.empty()) return strings.Text(str::kSetupCaptionUntitled);
  const size_t slash = configFileName.find_last_of("/\\");
  const std::string name =
      slash == std::string::npos ? configFileName : configFileName.substr(slash + 1);
  return strings.Text(str::kSetupCaptionNamed) + "(" + name + ")";
}

std::span<const PreferenceItem> PreferenceItems() {
  return kPreferenceItems;
}

bool PreferenceAvailable(Preference preference, const Edition& edition) {
  const bool lineButton =
      preference == Preference::DisplayDtr || preference == Preference::DisplayBreak;
  return !lineButton || edition.IsSerial();
}

bool PreferenceChecked(Preference preference, const Settings& settings) {
  if (const bool* flag = FlagOf(preference, settings)) return *flag;
  return (settings.EngineButtons & ButtonBitOf(preference)) != 0;
}

void TogglePreference(Preference preference, Settings& settings, WorkingValues& working) {
  if (bool* flag = FlagOf(preference, settings))
    *flag = !*flag;
  else
    settings.EngineButtons = static_cast<int16_t>(settings.EngineButtons ^ ButtonBitOf(preference));
  working.ConfigModified = true;
}

bool ConnectionSettingsComplete(const Settings& settings) {
  if (settings.TcpMode != 0) return LeadingNumber(settings.TcpLocalPort) != 0;
  return LeadingNumber(settings.TcpRemotePort) != 0 && !settings.TcpRemoteHost.empty();
}

SetupMenuState SetupMenuStateOf(const Edition& edition, const Settings& settings,
                                bool terminalOpen) {
  SetupMenuState state;
  const bool canConnect = edition.IsSerial() || ConnectionSettingsComplete(settings);
  state.normalEnabled = canConnect;
  state.testEnabled = canConnect;
  state.analyzeEnabled = canConnect && !terminalOpen;
  state.portSettingsEnabled = !terminalOpen;
  state.checkedOutputMethod = settings.OutputMethod;
  return state;
}

bool ChooseOutputMethod(int16_t method, Settings& settings) {
  const bool changed = settings.OutputMethod != method;
  settings.OutputMethod = method;
  return changed;
}

bool StoreLogFileChoice(const std::string& path, Settings& settings) {
  const bool changed = path != settings.LogFilePath || settings.OutputMethod != kLogToDisk;
  settings.LogFilePath = path;
  settings.OutputMethod = kLogToDisk;
  return changed;
}

std::string ActivationPortName(const Edition& edition, const Settings& settings) {
  return edition.IsSerial() ? PortNameOf(settings.PortIndex) : settings.TcpRemoteHost;
}

std::string WithDefaultExtension(const std::string& path, std::string_view extension) {
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  // A leading dot names a hidden file, not an extension.
  const size_t dot = path.find('.', nameStart + 1);
  if (path.empty() || path.size() == nameStart || dot != std::string::npos) return path;
  return path + std::string(extension);
}

}  // namespace fenno
