#include "ui/send_string_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "engine/output_text_ids.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/raw_string_edit.h"

namespace fenno {

SendStringDialog::SendStringDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                                   const StringTable& strings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      working_(working),
      prompt_(prompt),
      strings_(strings),
      values_(LoadOutputStrings(settings)),
      ack_(new RawStringEdit),
      names_(new QComboBox),
      caption_(new QLineEdit),
      text_(new RawStringEdit),
      interval_(new QLineEdit),
      timerOn_(new QCheckBox(Numbered(str::kSendStringTimerOn))),
      timerString_(new RawStringEdit) {
  setObjectName(QLatin1String("SendStringForm"));
  setWindowTitle(Numbered(str::kSendStringCaption));
  auto* layout = new QVBoxLayout(this);
  auto* ackForm = new QFormLayout;
  AddFormRow(*ackForm, str::kSendStringAckField, ack_, "AckString");
  layout->addLayout(ackForm);
  layout->addWidget(BuildButtonStrings());
  layout->addWidget(BuildTimedOutput());
  QDialogButtonBox* buttons = AddOkCancel(*this, str::kSendStringDone, str::kOutputCancel);
  layout->addWidget(buttons);
  ApplyCaptions(*this, strings);
  FitTitle(*this);

  ack_->SetBytes(values_.ackString);
  timerString_->SetBytes(values_.timerString);
  interval_->setText(FromBytes(values_.interval));
  timerOn_->setChecked(values_.timerOn);
  actions_[static_cast<int>(values_.action)]->setChecked(true);
  ShowTimerString();
  ShowEntry(1);
}

QWidget* SendStringDialog::BuildButtonStrings() {
  auto* box = new QGroupBox(Numbered(str::kSendStringButtonsFrame));
  auto* form = new QFormLayout(box);
  for (int entry = 1; entry <= kOutputStrings; ++entry)
    names_->addItem(FromUtf8(strings_.Format(str::kSendStringEntryName, {std::to_string(entry)})));
  AddFormRow(*form, str::kSendStringNamesField, names_, "StringNames");
  AddFormRow(*form, str::kSendStringCaptionField, caption_, "StringControlCaption");
  AddFormRow(*form, str::kSendStringTextField, text_, "StringText");
  connect(names_, &QComboBox::currentIndexChanged, this, [this](int index) {
    KeepEntry();
    ShowEntry(index + 1);
  });
  return box;
}

QWidget* SendStringDialog::BuildTimedOutput() {
  auto* box = new QGroupBox(Numbered(str::kSendStringTimedFrame));
  auto* form = new QFormLayout(box);
  auto* actionBox = new QGroupBox(Numbered(str::kSendStringTimerActionFrame));
  auto* actionLayout = new QVBoxLayout(actionBox);
  const int captions[] = {str::kSendStringActionTransmit, str::kSendStringActionToggleDtr,
                          str::kSendStringActionBreak};
  for (int i = 0; i < 3; ++i) {
    actions_[i] = new QRadioButton(Numbered(captions[i]));
    actions_[i]->setObjectName(QLatin1String("Action") + QString::number(i));
    actionLayout->addWidget(actions_[i]);
  }
  connect(actions_[0], &QRadioButton::toggled, this, [this] { ShowTimerString(); });
  form->addRow(actionBox);
  // Up to nine digits: the check refuses what reaches the limit.
  interval_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QLatin1String("[0-9]{0,9}")), interval_));
  AddFormRow(*form, str::kSendStringIntervalField, interval_, "Interval");
  timerOn_->setObjectName(QLatin1String("TimerOn"));
  form->addRow(timerOn_);
  timerStringLabel_ =
      AddFormRow(*form, str::kSendStringTimerStringField, timerString_, "TimerString");
  return box;
}

void SendStringDialog::KeepEntry() {
  values_.captions[entry_] = ToBytes(caption_->text());
  values_.strings[entry_] = text_->Bytes();
}

void SendStringDialog::ShowEntry(int entry) {
  entry_ = entry;
  if (names_->currentIndex() != entry - 1) names_->setCurrentIndex(entry - 1);
  caption_->setText(FromBytes(values_.captions[entry]));
  text_->SetBytes(values_.strings[entry]);
}

void SendStringDialog::ShowTimerString() {
  const bool transmit = actions_[0]->isChecked();
  timerStringLabel_->setVisible(transmit);
  timerString_->setVisible(transmit);
}

OutputStringValues SendStringDialog::Values() {
  KeepEntry();
  OutputStringValues values = values_;
  values.ackString = ack_->Bytes();
  values.timerString = timerString_->Bytes();
  values.interval = ToBytes(interval_->text());
  values.timerOn = timerOn_->isChecked();
  for (int i = 0; i < 3; ++i)
    if (actions_[i]->isChecked()) values.action = static_cast<TimerAction>(i);
  return values;
}

void SendStringDialog::accept() {
  const OutputStringValues values = Values();
  int captionEntry = 0;
  const DialogCheck check = CheckOutputStrings(values, &captionEntry);
  if (!check.Accepted()) {
    if (captionEntry > 0) ShowEntry(captionEntry);
    ShowRefusal(*this, check, strings_, prompt_);
    return;
  }
  working_.ConfigModified |= StoreOutputStrings(values, settings_);
  QDialog::accept();
}

}  // namespace fenno
