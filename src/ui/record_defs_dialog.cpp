#include "ui/record_defs_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "config/record_text_ids.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/key_picker_dialog.h"
#include "ui/raw_string_edit.h"
#include "ui/record_preview_pane.h"

namespace fenno {
namespace {

constexpr int kFilterCount = 6;

QLabel* BuddyLabel(int number, QWidget* buddy) {
  auto* label = new QLabel(Numbered(number));
  label->setBuddy(buddy);
  return label;
}

QString LengthText(int32_t length) {
  return length == 0 ? QString() : QString::number(length);
}

}  // namespace

RecDefsDialog::RecDefsDialog(const RecordDialogContext& context, const RegionalSettings& regional,
                             QWidget* parent)
    : QDialog(parent),
      c_(context),
      defs_(LoadRecordDefinitions(context.settings)),
      fieldNumber_(new QLabel),
      preambleLabel_(nullptr),
      preamble_(new RawStringEdit),
      lengthLabel_(nullptr),
      length_(NewDigitsBox(context.prompt, "FieldLength", 6)),
      bytesDefined_(new QLabel),
      filter_(new QComboBox),
      format_(new QComboBox),
      expression_(new QLineEdit),
      postamble_(new RawStringEdit),
      previous_(new QPushButton(Numbered(str::kRecDefsPrevious))),
      next_(new QPushButton(Numbered(str::kRecDefsNext))),
      preview_(new RecordPreviewPane(context, regional)),
      lastMacroBox_(postamble_) {
  setObjectName(QLatin1String("RecDefs"));
  const RecordDefinitionTexts texts = RecordDefinitionTextsFor(c_.settings.OutputMethod);
  setWindowTitle(Numbered(texts.caption));

  auto* editor = new QVBoxLayout;
  auto* grid = new QGridLayout;
  BuildFieldRows(*grid, texts);
  editor->addLayout(grid);
  auto* steps = new QHBoxLayout;
  steps->addWidget(previous_);
  steps->addWidget(next_);
  steps->addStretch();
  // The insert button of the output method: key names for keystrokes, characters for the
  // log; it inserts at the caret of the macro box that had the focus last.
  if (c_.settings.OutputMethod != kDdeServer) {
    const bool keys = c_.settings.OutputMethod == kSendKeystrokes;
    auto* insert =
        new QPushButton(Numbered(keys ? str::kRecDefsKeyButton : str::kRecDefsAsciiButton));
    insert->setObjectName(QLatin1String(keys ? "KeyButton" : "AsciiButton"));
    insert->setAutoDefault(false);
    connect(insert, &QPushButton::clicked, this, [this, keys] {
      if (keys) {
        if (const std::optional<std::string> key = AskKeystroke(c_.strings, this))
          lastMacroBox_->InsertBytes(*key);
      } else {
        InsertFromAsciiChart(*lastMacroBox_, c_.strings);
      }
      lastMacroBox_->setFocus();
    });
    steps->addWidget(insert);
  }
  editor->addLayout(steps);
  editor->addStretch();

  auto* columns = new QHBoxLayout;
  columns->addLayout(editor, 1);
  columns->addWidget(preview_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(AddOkCancel(*this, str::kRecDefsOk, str::kRecDefsCancel));
  ApplyCaptions(*this, c_.strings);
  FitTitle(*this);

  for (int i = 0; i < kFilterCount; ++i)
    filter_->addItem(Caption(c_.strings, str::kRecDefsFilterNone + i));
  for (int k = 1; k <= kNamedFormats; ++k) {
    const std::string& name = c_.working.FormatDisplayNames[static_cast<size_t>(k)];
    format_->addItem(name.empty() ? Caption(c_.strings, str::kFormatGeneralNumber + k - 1)
                                  : FromUtf8(name));
  }
  preamble_->SetBytes(defs_.preamble);
  lengthLabel_->setVisible(LengthShown(c_.settings));
  length_->setVisible(LengthShown(c_.settings));
  bytesDefined_->setVisible(LengthShown(c_.settings));
  Connect();
  ShowField(1);
  Edited();
}

void RecDefsDialog::BuildFieldRows(QGridLayout& grid, const RecordDefinitionTexts& texts) {
  fieldNumber_->setObjectName(QLatin1String("FieldNumber"));
  preamble_->setObjectName(QLatin1String("PreambleMacro"));
  bytesDefined_->setObjectName(QLatin1String("BytesDefined"));
  filter_->setObjectName(QLatin1String("FilterTypes"));
  format_->setObjectName(QLatin1String("lstFieldFormat"));
  format_->setEditable(true);
  format_->setInsertPolicy(QComboBox::NoInsert);
  expression_->setObjectName(QLatin1String("FieldExpression"));
  postamble_->setObjectName(QLatin1String("FieldMacro"));
  previous_->setObjectName(QLatin1String("PrevButton"));
  next_->setObjectName(QLatin1String("NextButton"));
  previous_->setAutoDefault(false);
  next_->setAutoDefault(false);

  preambleLabel_ = BuddyLabel(texts.preambleLabel, preamble_);
  lengthLabel_ = BuddyLabel(str::kRecDefsFieldLengthLabel, length_);
  int row = 0;
  grid.addWidget(preambleLabel_, row, 0);
  grid.addWidget(preamble_, row++, 1, 1, 2);
  grid.addWidget(new QLabel(Numbered(str::kRecDefsFieldNumberLabel)), row, 0);
  grid.addWidget(fieldNumber_, row++, 1);
  grid.addWidget(lengthLabel_, row, 0);
  grid.addWidget(length_, row, 1);
  grid.addWidget(bytesDefined_, row++, 2);
  grid.addWidget(BuddyLabel(str::kRecDefsFilterLabel, filter_), row, 0);
  grid.addWidget(filter_, row++, 1, 1, 2);
  grid.addWidget(BuddyLabel(str::kRecDefsFormatLabel, format_), row, 0);
  grid.addWidget(format_, row++, 1, 1, 2);
  grid.addWidget(BuddyLabel(str::kRecDefsExpressionLabel, expression_), row, 0);
  grid.addWidget(expression_, row++, 1, 1, 2);
  grid.addWidget(BuddyLabel(texts.postambleLabel, postamble_), row, 0);
  grid.addWidget(postamble_, row++, 1, 1, 2);
  grid.setColumnStretch(1, 1);
  grid.setColumnStretch(2, 1);
}

void RecDefsDialog::Connect() {
  const auto current = [this]() -> FieldDefinition& { return defs_.fields[defs_.current]; };
  connect(preamble_, &RawStringEdit::BytesEdited, this, [this] {
    defs_.preamble = preamble_->Bytes();
    Edited();
  });
  connect(filter_, &QComboBox::currentIndexChanged, this, [this, current](int index) {
    if (showing_) return;
    current().filter = FilterLetter(index);
    Edited();
  });
  connect(format_, &QComboBox::currentTextChanged, this, [this, current](const QString& text) {
    if (showing_) return;
    current().format = ToUtf8(text);
    Edited();
  });
  connect(expression_, &QLineEdit::textEdited, this, [this, current](const QString& text) {
    current().expression = ToBytes(text);
    Edited();
  });
  connect(postamble_, &RawStringEdit::BytesEdited, this, [this, current] {
    current().postamble = postamble_->Bytes();
    Edited();
  });
  connect(length_, &QLineEdit::textEdited, this, &RecDefsDialog::LengthEdited);
  for (RawStringEdit* box : {preamble_, postamble_}) box->installEventFilter(this);
  connect(previous_, &QPushButton::clicked, this, [this] {
    if (PreviousEnabled(defs_)) ShowField(defs_.current - 1);
  });
  connect(next_, &QPushButton::clicked, this, &RecDefsDialog::Next);
}

bool RecDefsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn)
    lastMacroBox_ = watched == preamble_ ? preamble_ : postamble_;
  return QDialog::eventFilter(watched, event);
}

void RecDefsDialog::ShowField(int field) {
  showing_ = true;
  defs_.current = field;
  const FieldDefinition& def = defs_.fields[field];
  fieldNumber_->setText(QString::number(field));
  const bool first = field == 1;
  if (!first) lastMacroBox_ = postamble_;
  preambleLabel_->setVisible(first);
  preamble_->setVisible(first);
  const bool steps = c_.settings.RecordStructure != kSingleField;
  previous_->setVisible(steps);
  next_->setVisible(steps);
  filter_->setCurrentIndex(FilterIndex(def.filter));
  length_->setText(LengthText(def.length));
  format_->setEditText(FromUtf8(def.format));
  expression_->setText(FromBytes(def.expression));
  postamble_->SetBytes(def.postamble);
  ShowTotals();
  showing_ = false;
}

void RecDefsDialog::ShowTotals() {
  previous_->setEnabled(PreviousEnabled(defs_));
  next_->setEnabled(NextEnabled(defs_, c_.settings));
  const std::string total = std::to_string(BytesDefined(defs_));
  // Only records of a fixed byte count have a total the lengths must reach.
  if (c_.settings.EndOfRecordEvent == kEndByteCount)
    bytesDefined_->setText(FromUtf8(c_.strings.Format(
        str::kRecDefsBytesDefinedOf, {total, std::to_string(c_.settings.RecordLength)})));
  else
    bytesDefined_->setText(FromUtf8(c_.strings.Format(str::kRecDefsBytesDefinedTotal, {total})));
}

void RecDefsDialog::LengthEdited() {
  const std::string digits = ToBytes(length_->text());
  const DialogCheck check = CheckFieldLengthEntry(digits);
  if (!check.Accepted()) {
    ShowRefusal(*this, check, c_.strings, c_.prompt);
    length_->setText(LengthText(defs_.fields[defs_.current].length));
    return;
  }
  defs_.fields[defs_.current].length = DigitsValue(digits);
  ShowTotals();
  Edited();
}

void RecDefsDialog::Next() {
  const DialogCheck check = CheckNextField(defs_, c_.settings);
  if (RefusedAndShown(*this, check, c_.strings, c_.prompt)) return;
  if (NextEnabled(defs_, c_.settings)) ShowField(defs_.current + 1);
}

void RecDefsDialog::Edited() {
  Settings edited = c_.settings;
  ApplyRecordDefinitions(defs_, edited);
  preview_->Schedule(edited);
}

void RecDefsDialog::accept() {
  const RecordDefinitionsCheck result = CheckRecordDefinitions(defs_, c_.settings);
  if (!result.check.Accepted()) {
    if (result.field != 0) ShowField(result.field);
    ShowRefusal(*this, result.check, c_.strings, c_.prompt);
    return;
  }
  c_.working.ConfigModified |= StoreRecordDefinitions(defs_, c_.settings);
  QDialog::accept();
}

}  // namespace fenno
