#pragma once

// The setup window's File menu: New, Open, Save, Save As, the recent files
// and the save question, with message boxes and file dialogs through the prompt. The
// window calls one of these per menu item and then refreshes its caption, check marks
// and recent-file items from the settings.
//
// Unsaved work is never dropped without the user's word: a recent-file entry asks the save
// question as Open does, and a save under the question that fails ("File I/O Error")
// stops the operation that asked, as cancelling would.

#include <string>

#include "base/dialog_check.h"
#include "base/prompt.h"
#include "base/string_table.h"
#include "config/config_load.h"
#include "config/edition.h"
#include "config/recent_files.h"
#include "config/settings.h"

namespace fenno {

// A log file can be created only in a folder that exists and that the user may write to;
// otherwise the message naming the folder.
DialogCheck CheckLogFolder(const std::string& path);

struct SetupFilesContext {
  const Edition& edition;
  Settings& settings;
  WorkingValues& working;
  const StringTable& strings;
  Prompt& prompt;
  RecentFiles& recentFiles;
  std::string homeFolder;
};

class SetupFiles {
 public:
  explicit SetupFiles(SetupFilesContext context) : c_(std::move(context)) {}

  // The save question (unless SkipSavePrompt or nothing changed): Yes saves, No goes on,
  // Cancel stops. False (SaveCancelled) when the operation that asked must stop.
  bool AskToSave();
  bool saveCancelled() const { return saveCancelled_; }

  // The defaults, untitled. False when the save question stopped it; nothing changed.
  bool New();
  // The open dialog, then the chosen file (which enters the recent files even when it is
  // not a configuration file). False when cancelled; nothing changed.
  bool Open();
  // Recent-file entry `index`: moves to the top and is loaded. False when cancelled.
  bool OpenRecent(size_t index);
  // Writes the named file, or asks for a name as Save As. True when written.
  bool Save();
  // The save dialog, then the file; true when written. Cancelled or failed, nothing
  // changes (the writer has told a failure).
  bool SaveAs();

  // Mode > Log to disk: the log file dialog; the chosen file and the log
  // output method. A folder the file cannot be made in is told and the dialog opens
  // again. False when cancelled.
  bool ChooseLogFile();

  // The load procedure on ConfigFileName; a named file that cannot be read is told.
  LoadOutcome Load();

  FileRequest OpenRequest() const;
  FileRequest SaveAsRequest() const;

 private:
  SetupFilesContext c_;
  bool saveCancelled_ = false;
};

}  // namespace fenno
