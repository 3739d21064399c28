#pragma once

// The live-data link dialog (DDEParms) in its three modes: the command target
// of DDE server output, the command-source link and the output-buffer link. Rules:
// dde/dde_dialogs.h.

#include <QDialog>

#include "base/string_table.h"
#include "config/settings.h"
#include "dde/dde_dialogs.h"

class QCheckBox;
class QLineEdit;

namespace fenno {

class DdeParmsDialog final : public QDialog {
  Q_OBJECT

 public:
  DdeParmsDialog(DdeParmsMode mode, Settings& settings, WorkingValues& working,
                 const StringTable& strings, QWidget* parent = nullptr);

  void accept() override;

 private:
  DdeParmsMode mode_;
  Settings& settings_;
  WorkingValues& working_;
  QLineEdit* application_;
  QLineEdit* topic_;
  QLineEdit* item_;
  QCheckBox* establish_;
  QCheckBox* stripCrLf_;
};

}  // namespace fenno
