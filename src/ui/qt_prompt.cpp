#include "ui/qt_prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "base/qt_text.h"

namespace fenno {
namespace {

QMessageBox::Icon IconOf(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Information:
      return QMessageBox::Information;
    case PromptIcon::Question:
      return QMessageBox::Question;
    case PromptIcon::Exclamation:
      return QMessageBox::Warning;
    case PromptIcon::Critical:
      return QMessageBox::Critical;
    case PromptIcon::Plain:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::RetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
    case PromptButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton DefaultButtonOf(PromptButtons buttons) {
  switch (DefaultAnswer(buttons)) {
    case PromptAnswer::Yes:
      return QMessageBox::Yes;
    case PromptAnswer::Retry:
      return QMessageBox::Retry;
    default:
      return QMessageBox::Ok;
  }
}

PromptAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Cancel:
      return PromptAnswer::Cancel;
    case QMessageBox::Yes:
      return PromptAnswer::Yes;
    case QMessageBox::No:
      return PromptAnswer::No;
    case QMessageBox::Retry:
      return PromptAnswer::Retry;
    default:
      return PromptAnswer::Ok;
  }
}

// Message texts break lines with CR (or CR LF) as a message box expects.
QString MessageText(const std::string& text) {
  QString shown = FromUtf8(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

}  // namespace

QWidget* QtPrompt::Parent() const {
  return parent_ ? parent_.data() : QApplication::activeWindow();
}

PromptAnswer QtPrompt::Show(const PromptMessage& message) {
  QMessageBox box(IconOf(message.icon), FromUtf8(message.title), MessageText(message.text),
                  ButtonsOf(message.buttons), Parent());
  box.setDefaultButton(DefaultButtonOf(message.buttons));
  // Escape answers Cancel where there is one, and the only button otherwise.
  if (message.buttons == PromptButtons::YesNo) box.setEscapeButton(QMessageBox::No);
  return AnswerOf(box.exec());
}

void QtPrompt::Beep() {
  QApplication::beep();
}

std::optional<std::string> QtPrompt::ChooseFile(const FileRequest& request) {
  QFileDialog dialog(Parent(), FromUtf8(request.title), FromPath(request.initialPath),
                     FromUtf8(request.filter));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (request.kind == FileRequest::Kind::Save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QString extension = FromUtf8(request.defaultExtension);
    if (extension.startsWith(QLatin1Char('.'))) extension.remove(0, 1);
    dialog.setDefaultSuffix(extension);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (!request.initialPath.empty() && !QFileInfo(FromPath(request.initialPath)).isDir())
    dialog.selectFile(FromPath(request.initialPath));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToPath(dialog.selectedFiles().constFirst());
}

}  // namespace fenno
