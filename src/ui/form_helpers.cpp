#include "ui/form_helpers.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "base/qt_text.h"

namespace fenno {

QLabel* AddFormRow(QFormLayout& form, int labelNumber, QWidget* field, const char* objectName) {
  field->setObjectName(QLatin1String(objectName));
  auto* label = new QLabel(Numbered(labelNumber));
  label->setBuddy(field);
  form.addRow(label, field);
  return label;
}

QDialogButtonBox* AddOkCancel(QDialog& dialog, int okNumber, int cancelNumber) {
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->setObjectName(QLatin1String("buttonBox"));
  QPushButton* ok = buttons->addButton(Numbered(okNumber), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QLatin1String("okButton"));
  ok->setDefault(true);
  QPushButton* cancel = buttons->addButton(Numbered(cancelNumber), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QLatin1String("cancelButton"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}

void FitTitle(QWidget& window) {
  QFont bold = window.font();
  bold.setBold(true);
  const int frameButtons = 4 * window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const int needed = QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + frameButtons;
  window.setMinimumWidth(std::max(window.minimumWidth(), needed));
}

void ShowRefusal(QDialog& dialog, const DialogCheck& check, const StringTable& strings,
                 Prompt& prompt) {
  prompt.Beep();
  const auto& a = check.arguments;
  const auto arg = [&a](size_t i) {
    return i < a.size() ? std::string_view(a[i]) : std::string_view();
  };
  const std::string text = strings.Format(check.message, {arg(0), arg(1), arg(2), arg(3)});
  prompt.Show({text, strings.Text(check.title), PromptButtons::Ok, PromptIcon::Exclamation});
  if (auto* field = dialog.findChild<QWidget*>(FromUtf8(check.field))) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  }
}

bool RefusedAndShown(QDialog& dialog, const DialogCheck& check, const StringTable& strings,
                     Prompt& prompt) {
  if (check.Accepted()) return false;
  ShowRefusal(dialog, check, strings, prompt);
  return true;
}

}  // namespace fenno
