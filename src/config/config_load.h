#pragma once

// The load procedure: loads the configuration file named by ConfigFileName, or resets the
// settings to their defaults when there is none or it cannot be used.

#include <string>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"

namespace fenno {

enum class LoadOutcome {
  Loaded,         // the file was read
  LoadedOldFile,  // an old file was read, announced and marked modified
  NoFileName,     // ConfigFileName was empty: the defaults
  NotReadable,    // the file could not be opened or read: the defaults, nothing shown
  Invalid,        // not a usable configuration file: the defaults, after the file error message
};

// Fills the format names, checks the file named by working.ConfigFileName and either reads it
// or resets the settings to Settings::Defaults(edition, homeFolder) with ConfigFileName "".
// The caller refreshes the setup window's caption afterwards.
LoadOutcome LoadConfiguration(Settings& settings, WorkingValues& working, const Edition& edition,
                              const StringTable& strings, Prompt& prompt,
                              const std::string& homeFolder);

// FormatNames gets the six fixed names, FormatDisplayNames the same names in the user's
// language (the English ones where the string table has none).
void FillFormatNames(WorkingValues& working, const StringTable& strings);

}  // namespace fenno
