#include "ui/terminal_panel.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "transport/terminal_text_ids.h"
#include "ui/form_helpers.h"
#include "ui/raw_string_edit.h"

namespace fenno {
namespace {

constexpr int kViewLines = 12;
constexpr int kViewColumns = 76;  // a hex dump line

QPlainTextEdit* ReceivedView(const char* name) {
  auto* view = new QPlainTextEdit;
  view->setObjectName(QLatin1String(name));
  view->setReadOnly(true);
  view->setTabChangesFocus(true);
  // Read-only, but the caret moves and selects from the keyboard, and Ctrl+C copies.
  view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  view->setUndoRedoEnabled(false);
  const QFontMetrics metrics(view->font());
  view->setMinimumSize(metrics.averageCharWidth() * kViewColumns / 2,
                       metrics.lineSpacing() * kViewLines / 2);
  return view;
}

QLabel* CountLabel(const char* name) {
  auto* label = new QLabel(QStringLiteral("0"));
  label->setObjectName(QLatin1String(name));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

TerminalPanel::TerminalPanel(TerminalLayout layout, bool hasLines, const StringTable& strings,
                             QWidget* parent, size_t viewLimit)
    : QWidget(parent), strings_(strings), text_(viewLimit) {
  const bool analyzer = layout == TerminalLayout::kAnalyzer;
  auto* column = new QVBoxLayout(this);

  characterView_ = ReceivedView("Buffer");
  hexView_ = ReceivedView("HexBuffer");
  QFont fixed = hexView_->font();
  fixed.setFamily(QStringLiteral("monospace"));
  fixed.setStyleHint(QFont::Monospace);
  hexView_->setFont(fixed);
  hexView_->setLineWrapMode(QPlainTextEdit::NoWrap);
  hexView_->setMinimumWidth(QFontMetrics(fixed).averageCharWidth() * kViewColumns);
  views_ = new QStackedWidget;
  views_->addWidget(characterView_);
  views_->addWidget(hexView_);
  auto* inputLabel =
      new QLabel(Numbered(analyzer ? str::kComShowInputLabel : str::kVirtualInputLabel));
  inputLabel->setBuddy(characterView_);
  column->addWidget(inputLabel);
  column->addWidget(views_, 1);

  viewCutNote_ = new QLabel;
  viewCutNote_->setObjectName(QLatin1String("viewCutNote"));
  viewCutNote_->setWordWrap(true);
  viewCutNote_->hide();
  column->addWidget(viewCutNote_);

  auto* options = new QHBoxLayout;
  translate_ = new QCheckBox(Numbered(str::kComShowPreInputCheck));
  translate_->setObjectName(QLatin1String("Check1"));
  translate_->setVisible(analyzer);
  hexSwitch_ = new QCheckBox(Numbered(str::kTerminalHexDump));
  hexSwitch_->setObjectName(QLatin1String("hexDump"));
  options->addWidget(translate_);
  options->addStretch(1);
  options->addWidget(hexSwitch_);
  column->addLayout(options);
  if (analyzer) column->addLayout(BuildCounters());

  auto* output =
      new QGroupBox(Numbered(analyzer ? str::kComShowOutputFrame : str::kVirtualOutputFrame));
  auto* outputRow = new QHBoxLayout(output);
  sendBox_ = new RawStringEdit;
  sendBox_->setObjectName(QLatin1String("OutputBuffer"));
  outputRow->addWidget(sendBox_, 1);
  outputRow->addWidget(AddButton(str::kComShowSend, "SendButton", &TerminalPanel::SendClicked));
  outputRow->addWidget(
      AddButton(str::kComShowAsciiChart, "AsciiChartButton", &TerminalPanel::AsciiChartClicked));
  column->addWidget(output);

  auto* buttons = new QHBoxLayout;
  if (analyzer && hasLines) {
    buttons->addWidget(AddButton(str::kComShowDtr, "DTRButton", &TerminalPanel::DtrClicked));
    buttons->addWidget(AddButton(str::kComShowBreak, "Command1", &TerminalPanel::BreakClicked));
  }
  QPushButton* clear = AddButton(str::kComShowClearInput, "BufferClearButton", nullptr);
  connect(clear, &QPushButton::clicked, this, &TerminalPanel::ClearInput);
  buttons->addWidget(clear);
  analyze_ = AddButton(str::kComShowAnalyzeInput, "AnalyzeButton", &TerminalPanel::AnalyzeClicked);
  analyze_->setVisible(analyzer);
  analyze_->setEnabled(false);
  buttons->addWidget(analyze_);
  buttons->addStretch(1);
  buttons->addWidget(AddButton(str::kComShowQuit, "QuitButton", &TerminalPanel::QuitClicked));
  column->addLayout(buttons);

  connect(characterView_, &QPlainTextEdit::selectionChanged, this, &TerminalPanel::UpdateCounters);
  connect(characterView_, &QPlainTextEdit::cursorPositionChanged, this,
          &TerminalPanel::UpdateCounters);
  connect(hexSwitch_, &QCheckBox::toggled, this, &TerminalPanel::SwitchView);
}

QPushButton* TerminalPanel::AddButton(int caption, const char* name,
                                      void (TerminalPanel::*clicked)()) {
  auto* button = new QPushButton(Numbered(caption));
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  if (clicked) connect(button, &QPushButton::clicked, this, clicked);
  return button;
}

QLayout* TerminalPanel::BuildCounters() {
  auto* counters = new QHBoxLayout;
  auto* total = new QFormLayout;
  totalCount_ = CountLabel("BufByteCount");
  total->addRow(new QLabel(Numbered(str::kComShowTotalByteCount)), totalCount_);
  counters->addLayout(total);
  auto* selection = new QGroupBox(Numbered(str::kComShowSelectionFrame));
  auto* rows = new QFormLayout(selection);
  selectionStart_ = CountLabel("SelStartPosition");
  selectionCount_ = CountLabel("SelByteCount");
  rows->addRow(new QLabel(Numbered(str::kComShowStartPosition)), selectionStart_);
  rows->addRow(new QLabel(Numbered(str::kComShowSelByteCount)), selectionCount_);
  counters->addWidget(selection, 1);
  return counters;
}

bool TerminalPanel::TranslatesInput() const {
  return translate_->isVisible() && translate_->isChecked();
}

void TerminalPanel::AppendShown(std::string_view shown) {
  if (shown.empty()) return;
  analyzer_.Feed(shown);
  ShowAppended(text_.Append(shown));
}

void TerminalPanel::ClearInput() {
  text_.Clear();
  analyzer_.Clear();
  ShowAppended(true);
  characterView_->setFocus(Qt::OtherFocusReason);
}

void TerminalPanel::ShowAppended(bool viewRebuilt) {
  // The view follows the newest bytes unless the user is selecting some.
  const bool follow = !characterView_->textCursor().hasSelection();
  if (viewRebuilt) {
    characterView_->setPlainText(FromBytes(text_.ViewText()));
  } else {
    QTextCursor end(characterView_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(FromBytes(text_.AddedText()));
  }
  if (follow) {
    characterView_->moveCursor(QTextCursor::End);
    characterView_->ensureCursorVisible();
  }
  if (hexSwitch_->isChecked()) ShowHexTail(viewRebuilt);
  viewCutNote_->setVisible(text_.ViewIsCut());
  if (text_.ViewIsCut())
    viewCutNote_->setText(
        FromUtf8(strings_.Format(str::kTerminalViewCut, {std::to_string(text_.ViewBytes().size()),
                                                         std::to_string(text_.TotalBytes())})));
  UpdateCounters();
}

// The hex dump grows by whole lines: the last, unfinished line is written again. Its
// lines start at multiples of 16 of all bytes received, so the first few bytes the view
// holds may be left out.
void TerminalPanel::ShowHexTail(bool viewRebuilt) {
  const uint64_t dropped = text_.DroppedBytes();
  const size_t skip = (kHexBytesPerLine - dropped % kHexBytesPerLine) % kHexBytesPerLine;
  const std::string_view bytes =
      std::string_view(text_.ViewBytes()).substr(std::min(skip, text_.ViewBytes().size()));
  if (viewRebuilt || hexBytesShown_ == 0) {
    hexView_->setPlainText(FromBytes(HexDumpLines(bytes, dropped + skip)));
  } else if (bytes.size() != hexBytesShown_) {
    const size_t lineStart = hexBytesShown_ / kHexBytesPerLine * kHexBytesPerLine;
    QTextCursor tail(hexView_->document());
    tail.movePosition(QTextCursor::End);
    if (lineStart != hexBytesShown_)
      tail.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    else
      tail.insertText(QStringLiteral("\n"));
    tail.insertText(FromBytes(HexDumpLines(bytes.substr(lineStart), dropped + skip + lineStart)));
  }
  hexBytesShown_ = bytes.size();
  hexView_->moveCursor(QTextCursor::End);
  hexView_->ensureCursorVisible();
}

void TerminalPanel::SwitchView(bool hex) {
  if (hex) {
    hexBytesShown_ = 0;
    ShowHexTail(true);
  }
  views_->setCurrentWidget(hex ? hexView_ : characterView_);
}

void TerminalPanel::UpdateCounters() {
  analyze_->setEnabled(!analyzer_.Empty());
  if (!totalCount_) return;
  totalCount_->setText(QString::number(text_.TotalBytes()));
  const QTextCursor cursor = characterView_->textCursor();
  const uint64_t start = text_.BytePosition(static_cast<size_t>(cursor.selectionStart()));
  const uint64_t end = text_.BytePosition(static_cast<size_t>(cursor.selectionEnd()));
  selectionStart_->setText(QString::number(start + 1));
  selectionCount_->setText(QString::number(end - start));
}

}  // namespace fenno
