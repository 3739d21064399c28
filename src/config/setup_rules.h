#pragma once

// The setup window's rules that are not files (those are in setup_files.h): its caption,
// the preference items of the Activate and Port menus, which items are enabled and
// checked, and the port name an activation gives the engine. The window copies what
// these answer; none of them shows anything.

#include <span>
#include <string>

#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"

namespace fenno {

// "Comfenno Pro Setup (Untitled)" for an empty name, else "Comfenno Pro Setup(name.DE3)":
// the name after the last "/" (or "\"), no space before "(" (texts 5007 and 5008).
std::string SetupCaption(const StringTable& strings, const std::string& configFileName);

// The settings the Activate and Port menus toggle.
enum class Preference {
  BeepOnInput,           // PortControl, Port menu
  StartSuspended,        // ActDisable
  MinimizeOnActivation,  // MiniFenno
  AlwaysOnTop,           // OnTop
  DisplayDtr,            // DisplayDTR: bit 0 of EngineButtons (serial program only)
  DisplayBreak,          // DisplayBrk: bit 1 of EngineButtons (serial program only)
  ShowDateTime,          // DateTime
};

struct PreferenceItem {
  Preference preference;
  const char* name;  // the menu item's name, also its object name
  int caption;       // string-table number
};

// Every preference item in menu order (Port menu's first, then the Activate menu's).
std::span<const PreferenceItem> PreferenceItems();
// DTR and BREAK buttons exist only in the serial program.
bool PreferenceAvailable(Preference preference, const Edition& edition);
bool PreferenceChecked(Preference preference, const Settings& settings);
// Flips the setting (the engine buttons by exclusive or with their bit) and marks the
// configuration modified.
void TogglePreference(Preference preference, Settings& settings, WorkingValues& working);

// Netfenno: a server needs a local port other than 0; a client a remote port
// other than 0 and a remote host. A port counts by its leading number, as Val reads it.
bool ConnectionSettingsComplete(const Settings& settings);

// What the setup window's menus show when they open. While the terminal window has the
// port open, the port's settings stay as they are and no second terminal opens.
struct SetupMenuState {
  bool normalEnabled = true;                      // RunNormal
  bool testEnabled = true;                        // RunTest
  bool analyzeEnabled = true;                     // PortTest
  bool portSettingsEnabled = true;                // PortSettings
  int16_t checkedOutputMethod = kSendKeystrokes;  // SendKeystrokes, UseDDE or SaveToFile
};
SetupMenuState SetupMenuStateOf(const Edition& edition, const Settings& settings,
                                bool terminalOpen = false);

// The output method chosen through the Mode menu; true (configuration modified) when it
// was not chosen before.
bool ChooseOutputMethod(int16_t method, Settings& settings);

// Mode > Log to disk: the chosen log file and the log output method; true
// (configuration modified) when the path changed or logging was not chosen before.
bool StoreLogFileChoice(const std::string& path, Settings& settings);

// The port name an activation gives the engine (its caption and live-data topic): "COM"
// and PortIndex + 1, or the remote host in Netfenno.
std::string ActivationPortName(const Edition& edition, const Settings& settings);

// A name chosen in a save dialog without an extension gets the default one (".DE3"); a
// name with any extension keeps it.
std::string WithDefaultExtension(const std::string& path, std::string_view extension);

}  // namespace fenno
