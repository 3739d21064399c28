#include "ui/virtual_device_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "ui/captions.h"

namespace fenno {
namespace {

// The shown output keeps this many lines; older ones scroll away for good.
constexpr int kShownLines = 5000;
constexpr int kBoxLines = 8;
constexpr int kBoxColumns = 48;

QPlainTextEdit* TextBox(const QString& objectName, int lines) {
  auto* box = new QPlainTextEdit;
  box->setObjectName(objectName);
  box->setTabChangesFocus(true);
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  const QFontMetrics metrics(box->font());
  box->setMinimumSize(metrics.averageCharWidth() * kBoxColumns, metrics.lineSpacing() * lines);
  return box;
}

}  // namespace

VirtualDeviceWindow::VirtualDeviceWindow(const StringTable& strings,
                                         std::function<void(std::string_view)> send,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window), send_(std::move(send)) {
  setObjectName(QStringLiteral("virtualDeviceWindow"));
  setWindowTitle(QStringLiteral("5005"));

  auto* layout = new QVBoxLayout(this);
  auto* inputLabel = new QLabel(QStringLiteral("5003"));
  inputBuffer_ = TextBox(QStringLiteral("inputBuffer"), kBoxLines);
  inputBuffer_->setReadOnly(true);
  inputBuffer_->setMaximumBlockCount(kShownLines);
  inputBuffer_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  inputLabel->setBuddy(inputBuffer_);
  layout->addWidget(inputLabel);
  layout->addWidget(inputBuffer_, 2);

  auto* sendLabel = new QLabel(QStringLiteral("5004"));
  sendBox_ = TextBox(QStringLiteral("sendBox"), kBoxLines / 2);
  sendLabel->setBuddy(sendBox_);
  layout->addWidget(sendLabel);
  layout->addWidget(sendBox_, 1);

  auto* buttons = new QHBoxLayout;
  auto* sendButton = new QPushButton(QStringLiteral("1410"));
  sendButton->setObjectName(QStringLiteral("sendButton"));
  auto* quitButton = new QPushButton(QStringLiteral("1415"));
  quitButton->setObjectName(QStringLiteral("quitButton"));
  buttons->addWidget(sendButton);
  buttons->addStretch(1);
  buttons->addWidget(quitButton);
  layout->addLayout(buttons);

  connect(sendButton, &QPushButton::clicked, this, &VirtualDeviceWindow::Send);
  connect(quitButton, &QPushButton::clicked, this, &VirtualDeviceWindow::QuitRequested);
  ApplyCaptions(*this, strings);
}

void VirtualDeviceWindow::ShowDeviceOutput(std::string_view bytes) {
  const std::string shown = displayForm_.Append(bytes);
  if (shown.empty()) return;
  QTextCursor cursor(inputBuffer_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(FromBytes(shown));
  inputBuffer_->setTextCursor(cursor);
  inputBuffer_->ensureCursorVisible();
}

void VirtualDeviceWindow::Send() {
  // Line breaks of the box are paragraph separators in the document; everything else is
  // the text as typed, so control characters and non-breaking spaces stay exactly.
  QString text = sendBox_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  // A device sends 8-bit characters only: a text with others is not sent at all rather
  // than sent with something else in their place.
  const std::optional<std::string> typed = ToBytesExactly(text);
  if (!typed) {
    QApplication::beep();
    return;
  }
  const std::string bytes = VirtualSendBytes(*typed);
  if (!bytes.empty()) send_(bytes);
  sendBox_->setFocus(Qt::OtherFocusReason);
}

void VirtualDeviceWindow::CloseQuietly() {
  closingQuietly_ = true;
  close();
}

void VirtualDeviceWindow::closeEvent(QCloseEvent* event) {
  if (closingQuietly_) {
    event->accept();
    return;
  }
  // Closing the device ends the run; the engine window closes this window in turn.
  event->ignore();
  emit QuitRequested();
}

}  // namespace fenno
