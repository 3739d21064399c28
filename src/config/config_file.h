#pragma once

// Configuration files: the header check, the reader and the writer.
//
// The reader shows nothing: the load procedure (config_load.h) and the live "{CONFIG("
// command both read through it and then show the messages below as they need.

#include <optional>
#include <string>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"

namespace fenno {

// Answers of the header check besides a PortIndex (zero or more).
inline constexpr int kConfigNameEmpty = -2;
inline constexpr int kConfigNotUsable = -1;

// Checks that path names a configuration file of this program and answers the first number
// after its header (PortIndex). -2 for an empty path; -1 when the file cannot be opened or
// read (silently) or is not a configuration file of this program, its header being wrong or
// its first number missing or damaged (after the file error message).
int CheckConfigHeader(const std::string& path, const Edition& edition, const StringTable& strings,
                      Prompt& prompt);

// The header check without its message, for callers that tell the cases apart.
enum class HeaderStatus { NameEmpty, Unreadable, NotAConfigFile, Ok };
struct HeaderCheck {
  HeaderStatus status;
  int portIndex;  // when status is Ok
};
HeaderCheck InspectConfigHeader(const std::string& path, const Edition& edition);

enum class ReadResult {
  Ok,          // a file in the current layout
  OldFileOk,   // a file in the older layout: tell the user (CompleteConfigRead)
  Malformed,   // not a configuration file, truncated, or holding a damaged value
  Unreadable,  // could not be opened, or the system failed to read it
};

// Reads a configuration file into settings. All or nothing: unless the answer is Ok or
// OldFileOk, settings are left exactly as they were. Values that an old file does not hold
// keep the values they had before, so pass in the record the file should update. Only
// regular files are read.
ReadResult ReadConfigFile(const std::string& path, Settings& settings, const Edition& edition);

// What follows a successful read: ConfigLoaded True and ConfigModified False; for an old file
// the beep and the old-file message, and ConfigModified True so that the user is asked to save
// it in the current layout. Other results change nothing.
void CompleteConfigRead(ReadResult result, WorkingValues& working, const StringTable& strings,
                        Prompt& prompt);

// The message about a file written by an older version (with its beep).
void ShowOldFileMessage(const StringTable& strings, Prompt& prompt);
// The message about a file that is not a (usable) configuration file of this program.
void ShowFileErrorMessage(const std::string& path, const StringTable& strings, Prompt& prompt);

// Writes settings to path in the current layout. The file is replaced in one step (written
// beside it, then renamed over it), so a failed write leaves the previous file intact.
// False when path is empty (silently), when a setting cannot be stored in the file (after a
// message naming it), or when writing failed (after "File I/O Error").
bool WriteConfigFile(const std::string& path, const Settings& settings, const Edition& edition,
                     const StringTable& strings, Prompt& prompt);

// A setting the file cannot hold so that it reads back the same, and the number of the
// message that says why (config_text_ids.h).
struct UnstorableSetting {
  std::string name;  // "FieldFormat(3)"
  int textId;
};
std::optional<UnstorableSetting> FindUnstorableSetting(const Settings& settings,
                                                       const Edition& edition);

// The bytes of the file the writer writes (for settings FindUnstorableSetting accepts).
std::string ConfigFileBytes(const Settings& settings, const Edition& edition);

}  // namespace fenno
