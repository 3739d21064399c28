#include "ui/translation_editor.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/line_table.h"
#include "ui/setup_window_text_ids.h"

namespace fenno {

TranslationEditor::TranslationEditor(TranslationTable table, Settings& settings,
                                     WorkingValues& working, const StringTable& strings,
                                     KeystrokePicker pickKeystroke, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      working_(working),
      strings_(strings),
      pickKeystroke_(std::move(pickKeystroke)),
      edited_(LoadTranslation(table, settings)) {
  setObjectName(QLatin1String("TransTbl"));
  list_ = NewLineTable({str::kTransTblValueHeader, str::kTransTblCharHeader,
                        str::kTransTblControlCodeHeader, str::kTransTblTranslationHeader},
                       "TransList");
  auto* translate = new QPushButton(Numbered(str::kTransTblTranslate));
  translate->setObjectName(QLatin1String("cmdTranslate"));
  translate->setToolTip(Numbered(str::kTransTblTranslateTip));
  auto* resetAll = new QPushButton(Numbered(str::kTransTblResetAll));
  resetAll->setObjectName(QLatin1String("cmdResetAll"));
  resetAll->setToolTip(Numbered(str::kTransTblResetAllTip));
  connect(translate, &QPushButton::clicked, this, &TranslationEditor::TranslateSelected);
  connect(resetAll, &QPushButton::clicked, this, &TranslationEditor::ResetAll);
  connect(list_, &QTableWidget::cellDoubleClicked, this, &TranslationEditor::TranslateSelected);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(translate);
  buttons->addWidget(resetAll);
  buttons->addStretch();
  buttons->addWidget(AddOkCancel(*this, str::kTransTblOk, str::kDialogCancel));
  layout->addLayout(buttons);
  ApplyCaptions(*this, strings);
  setWindowTitle(FromUtf8(TranslationCaption(table, strings)));
  for (int code = 0; code < kTableSize; ++code) ShowEntry(code);
  FitLineTable(*list_);
  list_->setCurrentCell(0, 0);
  list_->setFocus();
  FitTitle(*this);
}

void TranslationEditor::ShowEntry(int code) {
  ShowLine(*list_, code, TranslationLineOf(edited_, code, strings_));
}

void TranslationEditor::TranslateSelected() {
  const int code = list_->currentRow();
  if (code < 0) return;
  std::string answer;
  if (KindOf(edited_.table) == TranslationKind::Keystroke)
    answer = pickKeystroke_ ? pickKeystroke_(*this) : std::string();
  else
    answer = PickFromAsciiChart(KindOf(edited_.table) == TranslationKind::PreInput, strings_, this);
  if (Translate(edited_, code, answer)) ShowEntry(code);
  list_->setFocus();
}

void TranslationEditor::ResetAll() {
  ResetAllTranslations(edited_);
  for (int code = 0; code < kTableSize; ++code) ShowEntry(code);
}

void TranslationEditor::accept() {
  working_.ConfigModified |= StoreTranslation(edited_, settings_);
  QDialog::accept();
}

}  // namespace fenno
