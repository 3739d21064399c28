#include "ui/record_type_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/string_ids.h"
#include "config/record_dialogs.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/raw_string_edit.h"

namespace fenno {
namespace {

// An option group with a character box beside its last option.
QGroupBox* OptionGroup(int title, int firstCaption, const char* name,
                       std::array<QRadioButton*, 4>& options, RawStringEdit* chars,
                       const char* charsName) {
  auto* group = new QGroupBox(Numbered(title));
  auto* grid = new QGridLayout(group);
  auto* buttons = new QButtonGroup(group);
  for (int i = 0; i < 4; ++i) {
    options[i] = new QRadioButton(Numbered(firstCaption + i));
    options[i]->setObjectName(QLatin1String(name) + QString::number(i));
    buttons->addButton(options[i], i);
    grid->addWidget(options[i], i, 0);
  }
  chars->setObjectName(QLatin1String(charsName));
  chars->setAccessibleName(Numbered(firstCaption + 3));
  grid->addWidget(chars, 3, 1);
  grid->setColumnStretch(1, 1);
  return group;
}

}  // namespace

RecTypeDialog::RecTypeDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                             const StringTable& strings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      working_(working),
      prompt_(prompt),
      strings_(strings),
      startChars_(new RawStringEdit),
      endChars_(new RawStringEdit),
      lastBox_(startChars_) {
  setObjectName(QLatin1String("RecType"));
  setWindowTitle(Numbered(str::kRecTypeCaption));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(OptionGroup(str::kRecTypeStartFrame, str::kRecTypeStartAny, "StartOfRec",
                                startOptions_, startChars_, "Text1"));
  layout->addWidget(OptionGroup(str::kRecTypeEndFrame, str::kRecTypeEndCrLf, "RecTypeSel",
                                endOptions_, endChars_, "Text2"));
  auto* chart = new QPushButton(Numbered(str::kRecTypeAsciiChart));
  chart->setObjectName(QLatin1String("Command1"));
  chart->setAutoDefault(false);
  connect(chart, &QPushButton::clicked, this,
          [this] { InsertFromAsciiChart(*lastBox_, strings_); });
  layout->addWidget(chart, 0, Qt::AlignLeft);
  layout->addWidget(AddOkCancel(*this, str::kRecTypeOk, str::kRecTypeCancel));
  startChars_->installEventFilter(this);
  endChars_->installEventFilter(this);
  ApplyCaptions(*this, strings);
  FitTitle(*this);

  const RecordEventValues values = LoadRecordEvents(settings);
  startOptions_[static_cast<size_t>(values.startEvent & 3)]->setChecked(true);
  endOptions_[static_cast<size_t>(values.endEvent & 3)]->setChecked(true);
  startChars_->SetBytes(values.startChars);
  endChars_->SetBytes(values.endChars);
}

bool RecTypeDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) lastBox_ = watched == startChars_ ? startChars_ : endChars_;
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto& options = watched == startChars_ ? startOptions_ : endOptions_;
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      QRadioButton* option = options[key == Qt::Key_Up ? 2 : 0];
      option->setChecked(true);
      option->setFocus();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void RecTypeDialog::accept() {
  const auto checked = [](const std::array<QRadioButton*, 4>& options) {
    for (int16_t i = 0; i < 4; ++i)
      if (options[static_cast<size_t>(i)]->isChecked()) return i;
    return int16_t{0};
  };
  const RecordEventValues values{checked(startOptions_), checked(endOptions_), startChars_->Bytes(),
                                 endChars_->Bytes()};
  const DialogCheck check = CheckRecordEvents(values);
  if (RefusedAndShown(*this, check, strings_, prompt_)) return;
  working_.ConfigModified |= StoreRecordEvents(values, settings_);
  QDialog::accept();
}

}  // namespace fenno
