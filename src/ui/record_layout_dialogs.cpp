#include "ui/record_layout_dialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "config/record_dialogs.h"
#include "config/record_text_ids.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {
namespace {

QLabel* WrappedLabel(int number) {
  auto* label = new QLabel(Numbered(number));
  label->setWordWrap(true);
  return label;
}

// Common end of each constructor: captions, a title that fits, a width for the prompt.
void FinishForm(QDialog& dialog, const StringTable& strings) {
  ApplyCaptions(dialog, strings);
  FitTitle(dialog);
  dialog.setMinimumWidth(
      std::max(dialog.minimumWidth(), dialog.fontMetrics().averageCharWidth() * 50));
}

}  // namespace

QLineEdit* NewDigitsBox(Prompt& prompt, const char* objectName, int maxLength) {
  auto* box = new QLineEdit;
  box->setObjectName(QLatin1String(objectName));
  box->setMaxLength(maxLength);
  box->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
  QObject::connect(box, &QLineEdit::inputRejected, box, [&prompt] { prompt.Beep(); });
  return box;
}

FixedDialog::FixedDialog(const RecordDialogContext& context, QWidget* parent)
    : QDialog(parent), c_(context), length_(NewDigitsBox(context.prompt, "RecordLength", 6)) {
  setObjectName(QLatin1String("Fixed"));
  setWindowTitle(Numbered(str::kFixedCaption));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(WrappedLabel(str::kFixedPrompt));
  auto* form = new QFormLayout;
  AddFormRow(*form, str::kFixedLengthLabel, length_, "RecordLength");
  layout->addLayout(form);
  layout->addWidget(AddOkCancel(*this, str::kFixedOk, str::kFixedCancel));
  FinishForm(*this, c_.strings);
  length_->setText(QString::number(c_.settings.RecordLength));
}

void FixedDialog::accept() {
  const std::string digits = ToBytes(length_->text());
  const DialogCheck check = CheckRecordLength(digits);
  if (RefusedAndShown(*this, check, c_.strings, c_.prompt)) return;
  c_.working.ConfigModified |= StoreRecordLength(digits, c_.settings);
  QDialog::accept();
}

TimedDialog::TimedDialog(const RecordDialogContext& context, QWidget* parent)
    : QDialog(parent), c_(context), ticks_(NewDigitsBox(context.prompt, "ClockTicks", 5)) {
  setObjectName(QLatin1String("Timed"));
  setWindowTitle(Numbered(str::kTimedCaption));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(WrappedLabel(str::kTimedPrompt));
  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  AddFormRow(*form, str::kTimedClockTicksLabel, ticks_, "ClockTicks");
  layout->addLayout(form);
  layout->addWidget(AddOkCancel(*this, str::kTimedOk, str::kTimedCancel));
  FinishForm(*this, c_.strings);
  ticks_->setText(QString::number(c_.settings.RecordTimeGap));
}

void TimedDialog::accept() {
  const std::string digits = ToBytes(ticks_->text());
  const DialogCheck check = CheckTimeGap(digits);
  if (RefusedAndShown(*this, check, c_.strings, c_.prompt)) return;
  c_.working.ConfigModified |= StoreTimeGap(digits, c_.settings);
  QDialog::accept();
}

RecStructureDialog::RecStructureDialog(const RecordDialogContext& context, QWidget* parent)
    : QDialog(parent), c_(context) {
  setObjectName(QLatin1String("RecStructure"));
  setWindowTitle(Numbered(str::kRecStructureCaption));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(WrappedLabel(str::kRecStructurePrompt));
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    options_[static_cast<size_t>(i)] = new QRadioButton(Numbered(str::kRecStructureSingle + i));
    options_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("Option%1").arg(i + 1));
    group->addButton(options_[static_cast<size_t>(i)], i);
    layout->addWidget(options_[static_cast<size_t>(i)]);
  }
  layout->addWidget(AddOkCancel(*this, str::kRecStructureOk, str::kRecStructureCancel));
  FinishForm(*this, c_.strings);
  const int structure = std::clamp<int>(c_.settings.RecordStructure, 0, 2);
  options_[static_cast<size_t>(structure)]->setChecked(true);
}

void RecStructureDialog::accept() {
  int16_t structure = 0;
  for (int16_t i = 0; i < 3; ++i)
    if (options_[static_cast<size_t>(i)]->isChecked()) structure = i;
  c_.working.ConfigModified |= StoreRecordStructure(structure, c_.settings);
  QDialog::accept();
}

DelimDialog::DelimDialog(const RecordDialogContext& context, QWidget* parent)
    : QDialog(parent),
      c_(context),
      delimiters_(new QListWidget),
      fieldCount_(NewDigitsBox(context.prompt, "Text1", 5)) {
  setObjectName(QLatin1String("Delim"));
  setWindowTitle(Numbered(str::kDelimCaption));
  delimiters_->setObjectName(QLatin1String("DelimList"));
  for (int code = 0; code < kTableSize; ++code)
    delimiters_->addItem(FromBytes(DelimiterListItem(code)));
  auto* layout = new QVBoxLayout(this);
  auto* listLabel = new QLabel(Numbered(str::kDelimCharacterLabel));
  listLabel->setBuddy(delimiters_);
  layout->addWidget(listLabel);
  layout->addWidget(delimiters_);
  auto* form = new QFormLayout;
  AddFormRow(*form, str::kDelimFieldCountLabel, fieldCount_, "Text1");
  layout->addLayout(form);
  layout->addWidget(AddOkCancel(*this, str::kDelimOk, str::kDelimCancel));
  FinishForm(*this, c_.strings);

  const DelimiterValues values = LoadDelimiter(c_.settings);
  delimiters_->setCurrentRow(values.code);
  delimiters_->scrollToItem(delimiters_->currentItem(), QAbstractItemView::PositionAtCenter);
  fieldCount_->setText(FromBytes(values.fieldCount));
}

void DelimDialog::accept() {
  const DelimiterValues values{std::max(delimiters_->currentRow(), 0),
                               ToBytes(fieldCount_->text())};
  const DialogCheck check = CheckDelimiter(values);
  if (RefusedAndShown(*this, check, c_.strings, c_.prompt)) return;
  c_.working.ConfigModified |= StoreDelimiter(values, c_.settings);
  QDialog::accept();
}

}  // namespace fenno
