#include "ui/key_picker_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "engine/output_text_ids.h"
#include "keys/key_pickers.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {

KeyPickerDialog::KeyPickerDialog(Kind kind, const StringTable& strings, QWidget* parent)
    : QDialog(parent),
      kind_(kind),
      list_(new QListWidget),
      alt_(new QCheckBox(Numbered(str::kModifierAlt))),
      ctrl_(new QCheckBox(Numbered(str::kModifierCtrl))),
      shift_(new QCheckBox(Numbered(str::kModifierShift))) {
  const bool keystroke = kind == Kind::Keystroke;
  setObjectName(QLatin1String(keystroke ? "GetAKey" : "GetAKey2"));
  setWindowTitle(Numbered(keystroke ? str::kGetAKeyCaption : str::kGetAKey2Caption));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(Numbered(str::kKeyPickerListLabel));
  label->setBuddy(list_);
  layout->addWidget(label);
  list_->setObjectName(QLatin1String("KeyList"));
  if (keystroke) {
    for (const std::string& entry : KeystrokePickList()) list_->addItem(FromBytes(entry));
  } else {
    for (const int key : KeyPickList()) list_->addItem(FromBytes(std::string(KeyName(key))));
  }
  list_->setCurrentRow(0);
  layout->addWidget(list_);
  auto* modifiers = new QHBoxLayout;
  alt_->setObjectName(QLatin1String("AltBox"));
  ctrl_->setObjectName(QLatin1String("CtrlBox"));
  shift_->setObjectName(QLatin1String("ShiftBox"));
  for (QCheckBox* box : {alt_, ctrl_, shift_}) modifiers->addWidget(box);
  layout->addLayout(modifiers);
  layout->addWidget(AddOkCancel(*this, keystroke ? str::kGetAKeyOk : str::kGetAKey2Ok,
                                keystroke ? str::kGetAKeyCancel : str::kGetAKey2Cancel));
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  ApplyCaptions(*this, strings);
  FitTitle(*this);
}

std::string KeyPickerDialog::PickedMacroText() const {
  const int row = std::max(list_->currentRow(), 0);
  return PickKeystroke(KeystrokePickList()[static_cast<size_t>(row)], alt_->isChecked(),
                       ctrl_->isChecked(), shift_->isChecked());
}

PickedHotKey KeyPickerDialog::PickedKey() const {
  return PickHotKey(std::max(list_->currentRow(), 0), alt_->isChecked(), ctrl_->isChecked(),
                    shift_->isChecked());
}

std::optional<std::string> AskKeystroke(const StringTable& strings, QWidget* parent) {
  KeyPickerDialog picker(KeyPickerDialog::Kind::Keystroke, strings, parent);
  if (picker.exec() != QDialog::Accepted) return std::nullopt;
  return picker.PickedMacroText();
}

std::optional<PickedHotKey> AskHotKey(const StringTable& strings, QWidget* parent) {
  KeyPickerDialog picker(KeyPickerDialog::Kind::HotKey, strings, parent);
  if (picker.exec() != QDialog::Accepted) return std::nullopt;
  return picker.PickedKey();
}

}  // namespace fenno
