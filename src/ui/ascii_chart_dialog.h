#pragma once

// The ASCII chart (AsciiChart): the 256 codes with their characters and control names, to
// pick one byte; for the pre-input table also "Ignore" and "Void Record" before them.
// Rules: config/translation_dialogs.h.

#include <QDialog>
#include <string>

#include "base/string_table.h"

class QTableWidget;

namespace fenno {

class RawStringEdit;

class AsciiChartDialog final : public QDialog {
  Q_OBJECT

 public:
  AsciiChartDialog(bool preInputWords, const StringTable& strings, QWidget* parent = nullptr);

  // After OK: one character, or " Ignore" / " Void Record"; empty after Cancel.
  const std::string& Answer() const { return answer_; }
  void accept() override;

 private:
  bool preInputWords_;
  QTableWidget* list_;
  std::string answer_;
};

// Opens the chart modally; its answer, empty when cancelled.
std::string PickFromAsciiChart(bool preInputWords, const StringTable& strings, QWidget* parent);
// Opens the chart and puts the chosen byte in place of the box's selection; false when
// cancelled.
bool InsertFromAsciiChart(RawStringEdit& box, const StringTable& strings);

}  // namespace fenno
