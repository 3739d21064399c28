#pragma once

// The target application dialog (AppSelect): the text the target window's title must
// contain, the command line that starts the program, and the pause between keystrokes.
// Browse chooses a program; the window list offers the titles of the windows open now.
// Rules: keys/app_selection.h and keys/app_select_dialogs.h.

#include <QDialog>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"
#include "keys/window_system.h"

class QComboBox;
class QLineEdit;

namespace fenno {

class AppSelectDialog final : public QDialog {
  Q_OBJECT

 public:
  // Without `windows` (no desktop to ask) the window list stays empty.
  AppSelectDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                  const StringTable& strings, WindowSystem* windows, QWidget* parent = nullptr);

  void accept() override;

 private:
  void Browse();

  Settings& settings_;
  WorkingValues& working_;
  Prompt& prompt_;
  const StringTable& strings_;
  QLineEdit* title_;
  QComboBox* windowList_;
  QLineEdit* command_;
  QLineEdit* delay_;
};

}  // namespace fenno
