#include "ui/app_select_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "engine/output_text_ids.h"
#include "keys/app_select_dialogs.h"
#include "keys/app_selection.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {
namespace {

QLabel* WrappedLabel(int number, const char* name) {
  auto* label = new QLabel(Numbered(number));
  label->setObjectName(QLatin1String(name));
  label->setWordWrap(true);
  return label;
}

}  // namespace

AppSelectDialog::AppSelectDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                                 const StringTable& strings, WindowSystem* windows, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      working_(working),
      prompt_(prompt),
      strings_(strings),
      title_(new QLineEdit),
      windowList_(new QComboBox),
      command_(new QLineEdit),
      delay_(new QLineEdit) {
  setObjectName(QLatin1String("AppSelect"));
  setWindowTitle(Numbered(str::kAppSelectCaption));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(WrappedLabel(str::kAppSelectModeHelp, "Label1"));
  layout->addWidget(WrappedLabel(str::kAppSelectTargetHelp, "Label2"));
  auto* form = new QFormLayout;
  AddFormRow(*form, str::kAppSelectTitleField, title_, "AppName");
  AddFormRow(*form, str::kAppSelectWindowsLabel, windowList_, "WindowList");
  auto* commandRow = new QHBoxLayout;
  command_->setObjectName(QLatin1String("AppCmd"));
  commandRow->addWidget(command_, 1);
  auto* browse = new QPushButton(Numbered(str::kAppSelectBrowseButton));
  browse->setObjectName(QLatin1String("Command1"));
  commandRow->addWidget(browse);
  auto* commandLabel = new QLabel(Numbered(str::kAppSelectCommandField));
  commandLabel->setBuddy(command_);
  form->addRow(commandLabel, commandRow);
  delay_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QLatin1String("[0-9]*")), delay_));
  AddFormRow(*form, str::kAppSelectDelayLabel, delay_, "InterCharDelay");
  layout->addLayout(form);
  layout->addWidget(WrappedLabel(str::kAppSelectDelayHelp, "Label6"));
  layout->addWidget(AddOkCancel(*this, str::kAppSelectOk, str::kAppSelectCancel));
  ApplyCaptions(*this, strings);
  FitTitle(*this);

  windowList_->addItem(Caption(strings, str::kAppSelectWindowsPlaceholder));
  if (windows)
    for (const std::string& title : OpenWindowTitles(*windows))
      windowList_->addItem(FromBytes(title));
  connect(windowList_, &QComboBox::activated, this, [this](int index) {
    if (index > 0) title_->setText(windowList_->itemText(index));
  });
  connect(browse, &QPushButton::clicked, this, &AppSelectDialog::Browse);
  // The title is kept trimmed, as it is compared later. The box alone is the context: it
  // may lose the focus while the dialog is being destroyed.
  connect(title_, &QLineEdit::editingFinished, title_,
          [title = title_] { title->setText(title->text().trimmed()); });

  const AppSelection shown = LoadAppSelection(settings);
  title_->setText(FromBytes(shown.title));
  command_->setText(FromBytes(shown.command));
  delay_->setText(FromBytes(shown.interCharDelay));
}

void AppSelectDialog::Browse() {
  FileRequest request;
  request.title = strings_.Text(str::kAppSelectBrowseTitle);
  request.filter = strings_.Text(str::kAppSelectProgramFilter);
  if (const auto path = prompt_.ChooseFile(request))
    command_->setText(FromBytes(CommandLineOfProgram(*path)));
}

void AppSelectDialog::accept() {
  const AppSelection typed{ToBytes(title_->text()), ToBytes(command_->text()),
                           ToBytes(delay_->text())};
  const DialogCheck check = CheckAppSelection(typed);
  if (RefusedAndShown(*this, check, strings_, prompt_)) return;
  working_.ConfigModified |= StoreAppSelection(typed, settings_);
  QDialog::accept();
}

}  // namespace fenno
