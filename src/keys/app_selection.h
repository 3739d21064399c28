#pragma once

#include <string>

#include "config/settings.h"

namespace fenno {

// What the user typed into the target application dialog.
struct AppSelection {
  std::string title;           // application title bar text
  std::string command;         // command line
  std::string interCharDelay;  // milliseconds, as typed
};

// What the dialog shows when it opens (the delay as its number).
AppSelection LoadAppSelection(const Settings& settings);
// OK (nothing is refused): when any of the three differs from the settings, stores all
// three (texts trimmed, the delay rounded with halves to even), sets TargetSpecified when
// a title or command is given, and returns true. Returns false and changes nothing
// otherwise.
bool StoreAppSelection(const AppSelection& typed, Settings& settings);

}  // namespace fenno
