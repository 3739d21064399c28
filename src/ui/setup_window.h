#pragma once

// The setup window (MainForm): the program's main window. Its menus
// load and save configurations, open the dialogs that edit the settings, toggle the
// preferences, and activate the engine in normal, test or virtual mode, which hides it
// while the engine window runs. The rules it follows are plain functions it calls
// (config/setup_files.h, config/setup_rules.h); the window only copies their answers
// into menus and captions.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/recent_files.h"
#include "config/settings.h"
#include "config/setup_files.h"
#include "config/setup_rules.h"
#include "config/translation_dialogs.h"
#include "config/user_store.h"
#include "dde/dde_dialogs.h"
#include "engine/engine_control.h"
#include "engine/regional.h"
#include "ui/engine_window.h"
#include "ui/terminal_window.h"

class QMenu;

namespace fenno {

// What the setup window borrows from the program (all that the engine windows it opens
// borrow, and the user's home folder); everything outlives the window.
struct SetupContext : EngineWindowContext {
  std::string homeFolder;
};

class SetupWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit SetupWindow(const SetupContext& context, QWidget* parent = nullptr);
  ~SetupWindow() override;

  // Start-up: reads the recent files and loads
  // configPath, or the defaults. Without a path the window shows itself and waits. A named
  // file that loads is activated in normal mode (the window shows itself when that fails or
  // is cancelled); one that does not load ends the program: the answer is then its exit
  // status, nullopt otherwise.
  std::optional<int> StartUp(const std::string& configPath);

  // Activation in a mode. False when the device failed or the save question was
  // cancelled; the window is then as it was.
  bool Activate(ActivationMode mode);
  ActivationMode activationMode() const { return mode_; }
  EngineWindow* engineWindow() const { return engine_.data(); }
  // The port analyzer while it is open (Port > Analyze), null otherwise.
  TerminalWindow* terminalWindow() const { return terminal_.data(); }
  const RecentFiles& recentFiles() const { return recentFiles_; }

  // Caption, check marks, enabled items and recent-file items from the settings.
  void Refresh();

 signals:
  // The program is to end: the window closed (File > Exit) or the engine of a normal
  // activation closed.
  void ProgramEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QMenu* AddMenu(int caption, const char* name);
  template <class Slot>
  QAction* AddItem(QMenu& menu, int caption, const char* name, Slot slot);
  // An item whose dialog comes with a later version: it says so.
  QAction* AddLaterItem(QMenu& menu, int caption, const char* name);
  void BuildMenus();
  void BuildCentralText();
  void RefreshRecentItems();
  void NotYet(const QAction& item);
  void OpenDdeParms(DdeParmsMode mode);
  void OpenTerminal();
  void OpenPortSettings();
  void OpenTranslationEditor(TranslationTable table);
  void OnEngineClosed();

  SetupContext c_;
  RecentFiles recentFiles_;
  SetupFiles files_;
  QPointer<EngineWindow> engine_;
  QPointer<TerminalWindow> terminal_;
  ActivationMode mode_ = ActivationMode::Inactive;
  // Closing the window ends the program only once start-up has loaded the first
  // configuration, and not while a normal activation runs.
  bool setupReady_ = false;
  // Netfenno's Reset: the engine closes back to the setup window even after normal mode.
  bool returnToSetup_ = false;

  std::array<QAction*, kRecentFileCount> recentItems_{};
  std::array<QAction*, 2> recentSeparators_{};
  std::vector<std::pair<Preference, QAction*>> preferenceItems_;
  std::array<QAction*, 3> outputMethodItems_{};  // by OutputMethod
  QAction* runNormal_ = nullptr;
  QAction* runTest_ = nullptr;
  QAction* portSettings_ = nullptr;
  QAction* portTest_ = nullptr;
  int menuBarWidth_ = 0;
};

}  // namespace fenno
