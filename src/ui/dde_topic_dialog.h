#pragma once

// The live-data topic dialog (ComfennoDDETopic): the port name or a topic of
// the user's own. Rules: dde/dde_dialogs.h.

#include <QDialog>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"

class QLineEdit;
class QRadioButton;

namespace fenno {

class DdeTopicDialog final : public QDialog {
  Q_OBJECT

 public:
  DdeTopicDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                 const StringTable& strings, QWidget* parent = nullptr);

  void accept() override;

 private:
  Settings& settings_;
  WorkingValues& working_;
  Prompt& prompt_;
  const StringTable& strings_;
  QRadioButton* usePort_;
  QRadioButton* specify_;
  QLineEdit* topic_;
};

}  // namespace fenno
