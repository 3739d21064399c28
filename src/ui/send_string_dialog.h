#pragma once

// The output string editor (SendStringForm): the acknowledgement, the timed output and
// the twenty output buttons' strings and captions. Rules: engine/output_string_dialogs.h.

#include <QDialog>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"
#include "engine/output_string_dialogs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace fenno {

class RawStringEdit;

class SendStringDialog final : public QDialog {
  Q_OBJECT

 public:
  SendStringDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                   const StringTable& strings, QWidget* parent = nullptr);

  void accept() override;

 private:
  QWidget* BuildButtonStrings();
  QWidget* BuildTimedOutput();
  // Keeps the shown entry's caption and string in the working copy.
  void KeepEntry();
  void ShowEntry(int entry);
  void ShowTimerString();
  OutputStringValues Values();

  Settings& settings_;
  WorkingValues& working_;
  Prompt& prompt_;
  const StringTable& strings_;
  OutputStringValues values_;
  int entry_ = 1;
  RawStringEdit* ack_;
  QComboBox* names_;
  QLineEdit* caption_;
  RawStringEdit* text_;
  QRadioButton* actions_[3];
  QLineEdit* interval_;
  QCheckBox* timerOn_;
  QLabel* timerStringLabel_ = nullptr;
  RawStringEdit* timerString_;
};

}  // namespace fenno
