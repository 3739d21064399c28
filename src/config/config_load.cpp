#include "config/config_load.h"

#include "base/string_ids.h"
#include "config/config_file.h"

namespace fenno {
namespace {

LoadOutcome ResetToDefaults(Settings& settings, WorkingValues& working, const Edition& edition,
                            const std::string& homeFolder, LoadOutcome outcome) {
  working.ConfigFileName.clear();
  settings = Settings::Defaults(edition, homeFolder);
  working.ConfigLoaded = false;
  working.ConfigModified = false;
  return outcome;
}

}  // namespace

void FillFormatNames(WorkingValues& working, const StringTable& strings) {
  const auto& fixedNames = FixedFormatNames();
  for (int i = 1; i <= kNamedFormats; ++i) {
    const auto at = static_cast<size_t>(i);
    const std::string& localName = strings.Text(str::kFormatGeneralNumber + i - 1);
    working.FormatNames[at] = fixedNames[at];
    working.FormatDisplayNames[at] = localName.empty() ? fixedNames[at] : localName;
  }
}

LoadOutcome LoadConfiguration(Settings& settings, WorkingValues& working, const Edition& edition,
                              const StringTable& strings, Prompt& prompt,
                              const std::string& homeFolder) {
  FillFormatNames(working, strings);
  working.SkipSavePrompt = false;
  const std::string path = working.ConfigFileName;
  const HeaderCheck check = InspectConfigHeader(path, edition);
  switch (check.status) {
    case HeaderStatus::NameEmpty:
      return ResetToDefaults(settings, working, edition, homeFolder, LoadOutcome::NoFileName);
    case HeaderStatus::Unreadable:
      return ResetToDefaults(settings, working, edition, homeFolder, LoadOutcome::NotReadable);
    case HeaderStatus::NotAConfigFile:
      ShowFileErrorMessage(path, strings, prompt);
      return ResetToDefaults(settings, working, edition, homeFolder, LoadOutcome::Invalid);
    case HeaderStatus::Ok:
      break;
  }
  const ReadResult result = ReadConfigFile(path, settings, edition);
  if (result == ReadResult::Malformed || result == ReadResult::Unreadable) {
    // A damaged file is not loaded in part: the user is told and gets the defaults.
    ShowFileErrorMessage(path, strings, prompt);
    return ResetToDefaults(settings, working, edition, homeFolder, LoadOutcome::Invalid);
  }
  CompleteConfigRead(result, working, strings, prompt);
  return result == ReadResult::OldFileOk ? LoadOutcome::LoadedOldFile : LoadOutcome::Loaded;
}

}  // namespace fenno
