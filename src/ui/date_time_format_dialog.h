#pragma once

// The date/time format dialog (frmDateTimeFmt): the format of the engine window's clock.
// Rules: engine/date_time_format_dialog.h.

#include <QDialog>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"
#include "engine/regional.h"

class QLineEdit;

namespace fenno {

class DateTimeFormatDialog final : public QDialog {
  Q_OBJECT

 public:
  DateTimeFormatDialog(Settings& settings, WorkingValues& working, const RegionalSettings& regional,
                       Prompt& prompt, const StringTable& strings, QWidget* parent = nullptr);

  void accept() override;

 private:
  Settings& settings_;
  WorkingValues& working_;
  const RegionalSettings& regional_;
  Prompt& prompt_;
  const StringTable& strings_;
  QLineEdit* format_;
};

}  // namespace fenno
