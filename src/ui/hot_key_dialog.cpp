#include "ui/hot_key_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "engine/output_text_ids.h"
#include "hotkeys/hot_key_names.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/hot_key_box.h"
#include "ui/key_picker_dialog.h"
#include "ui/raw_string_edit.h"

namespace fenno {

HotKeyDialog::HotKeyDialog(const Edition& edition, Settings& settings, WorkingValues& working,
                           Prompt& prompt, const StringTable& strings, KeyOnLayout onLayout,
                           QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      working_(working),
      prompt_(prompt),
      strings_(strings),
      onLayout_(std::move(onLayout)),
      table_(LoadHotKeys(settings)),
      numbers_(new QListWidget),
      actions_(new QComboBox),
      key_(new HotKeyBox),
      keyList_(new QPushButton(Numbered(str::kHotKeyFrmKeyList))),
      text_(new RawStringEdit) {
  setObjectName(QLatin1String("HotKeyFrm"));
  setWindowTitle(Numbered(str::kHotKeyFrmCaption));
  auto* layout = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  auto* numberColumn = new QVBoxLayout;
  auto* numberLabel = new QLabel(Numbered(str::kHotKeyFrmNumberLabel));
  numberLabel->setBuddy(numbers_);
  numbers_->setObjectName(QLatin1String("HKNumList"));
  for (size_t i = 1; i <= table_.size(); ++i) numbers_->addItem(QString::number(i));
  numberColumn->addWidget(numberLabel);
  numberColumn->addWidget(numbers_);
  columns->addLayout(numberColumn);

  auto* form = new QFormLayout;
  for (const std::string& name : HotKeyActionNames(edition, strings))
    actions_->addItem(FromUtf8(name));
  AddFormRow(*form, str::kHotKeyFrmActionLabel, actions_, "HKActionList");
  auto* keyRow = new QHBoxLayout;
  keyRow->addWidget(key_, 1);
  keyList_->setObjectName(QLatin1String("KeyListButton"));
  keyRow->addWidget(keyList_);
  auto* keyLabel = new QLabel(Numbered(str::kHotKeyFrmKeyLabel));
  keyLabel->setBuddy(key_);
  key_->setObjectName(QLatin1String("HKKey"));
  form->addRow(keyLabel, keyRow);
  auto* textRow = new QHBoxLayout;
  textRow->addWidget(text_, 1);
  asciiChart_ = NewAsciiChartButton(str::kSendStringAsciiChart, {text_}, strings);
  textRow->addWidget(asciiChart_);
  textLabel_ = new QLabel(Numbered(str::kHotKeyFrmStringLabel));
  textLabel_->setBuddy(text_);
  text_->setObjectName(QLatin1String("Text1"));
  form->addRow(textLabel_, textRow);
  textLabel_->setObjectName(QLatin1String("Label4"));
  columns->addLayout(form, 1);
  layout->addLayout(columns);
  layout->addWidget(AddOkCancel(*this, str::kHotKeyFrmOk, str::kHotKeyFrmCancel));
  ApplyCaptions(*this, strings);
  key_->setPlaceholderText(Caption(strings, str::kHotKeyBoxPlaceholder));
  FitTitle(*this);

  connect(numbers_, &QListWidget::currentRowChanged, this, &HotKeyDialog::ShowEntry);
  connect(actions_, &QComboBox::activated, this, &HotKeyDialog::OnActionChosen);
  connect(key_, &HotKeyBox::KeyPressed, this, &HotKeyDialog::OnKeyPressed);
  connect(keyList_, &QPushButton::clicked, this, &HotKeyDialog::OpenKeyList);
  connect(text_, &RawStringEdit::BytesEdited, this,
          [this] { table_[static_cast<size_t>(entry_)].text = text_->Bytes(); });
  numbers_->setCurrentRow(0);
  ShowEntry(0);
}

void HotKeyDialog::ShowEntry(int entry) {
  if (entry < 0) return;
  entry_ = entry;
  const HotKeyEntry& shown = table_[static_cast<size_t>(entry)];
  actions_->setCurrentIndex(shown.action >= 0 && shown.action < actions_->count() ? shown.action
                                                                                  : 0);
  key_->setText(shown.code & 255 ? FromBytes(HotKeyText(shown.code)) : QString());
  text_->SetBytes(shown.text);
  ShowActionBoxes();
}

void HotKeyDialog::ShowActionBoxes() {
  const int action = table_[static_cast<size_t>(entry_)].action;
  textLabel_->setVisible(HotKeyShowsString(action));
  text_->setVisible(HotKeyShowsString(action));
  asciiChart_->setVisible(HotKeyShowsString(action));
  key_->setEnabled(HotKeyTakesKey(action));
  keyList_->setEnabled(HotKeyTakesKey(action));
}

void HotKeyDialog::OnActionChosen(int action) {
  table_[static_cast<size_t>(entry_)].action = static_cast<int16_t>(action);
  ShowActionBoxes();
}

void HotKeyDialog::OnKeyPressed(int virtualKey, int modifiers) {
  if (virtualKey == kLoneModifier) return;
  if (virtualKey == kNoVirtualKey) {
    prompt_.Beep();
    return;
  }
  if (const auto recorded = RecordHotKey(virtualKey, modifiers)) TakeKey(recorded->code);
}

void HotKeyDialog::OpenKeyList() {
  if (const auto picked = AskHotKey(strings_, this)) TakeKey(picked->code);
  key_->setFocus();
}

void HotKeyDialog::TakeKey(int code) {
  const DialogCheck check = CheckHotKeyChoice(table_, static_cast<size_t>(entry_), code, onLayout_);
  if (RefusedAndShown(*this, check, strings_, prompt_)) return;
  table_[static_cast<size_t>(entry_)].code = static_cast<int16_t>(code);
  key_->setText(code & 255 ? FromBytes(HotKeyText(code)) : QString());
}

void HotKeyDialog::UseKeycodeMap(std::function<int(unsigned keycode)> keycodeToVirtualKey) {
  key_->SetKeycodeMap(std::move(keycodeToVirtualKey));
}

void HotKeyDialog::accept() {
  working_.ConfigModified |= StoreHotKeys(table_, settings_);
  QDialog::accept();
}

}  // namespace fenno
