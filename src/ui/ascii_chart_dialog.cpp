#include "ui/ascii_chart_dialog.h"

#include <QDialogButtonBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "config/translation_dialogs.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/line_table.h"
#include "ui/raw_string_edit.h"

namespace fenno {

AsciiChartDialog::AsciiChartDialog(bool preInputWords, const StringTable& strings, QWidget* parent)
    : QDialog(parent), preInputWords_(preInputWords) {
  setObjectName(QLatin1String("AsciiChart"));
  setWindowTitle(Numbered(str::kAsciiChartCaption));
  list_ = NewLineTable(
      {str::kAsciiChartValueHeader, str::kAsciiChartCharHeader, str::kAsciiChartControlCodeHeader},
      "ChartList");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(AddOkCancel(*this, str::kAsciiChartOk, str::kAsciiChartCancel));
  connect(list_, &QTableWidget::cellDoubleClicked, this, &AsciiChartDialog::accept);
  ApplyCaptions(*this, strings);
  const std::vector<TranslationLine> lines = AsciiChartLines(preInputWords, strings);
  for (size_t row = 0; row < lines.size(); ++row)
    ShowLine(*list_, static_cast<int>(row), lines[row]);
  FitLineTable(*list_);
  list_->setCurrentCell(0, 0);
  list_->setFocus();
  FitTitle(*this);
}

void AsciiChartDialog::accept() {
  answer_ = AsciiChartAnswer(list_->currentRow(), preInputWords_);
  if (answer_.empty()) return;
  QDialog::accept();
}

std::string PickFromAsciiChart(bool preInputWords, const StringTable& strings, QWidget* parent) {
  AsciiChartDialog chart(preInputWords, strings, parent);
  return chart.exec() == QDialog::Accepted ? chart.Answer() : std::string();
}

bool InsertFromAsciiChart(RawStringEdit& box, const StringTable& strings) {
  const std::string answer = PickFromAsciiChart(false, strings, box.window());
  if (answer.empty()) return false;
  box.setFocus();
  box.InsertBytes(answer);
  return true;
}

}  // namespace fenno
