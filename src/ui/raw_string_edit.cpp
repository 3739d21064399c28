#include "ui/raw_string_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <algorithm>
#include <memory>
#include <optional>

#include "base/qt_text.h"

namespace fenno {
namespace {

constexpr char16_t kShownNul = 0xFF;

QString Shown(const std::string& bytes) {
  QString text = FromBytes(bytes);
  text.replace(QChar(u'\0'), QChar(kShownNul));
  return text;
}

QString RawBytesMimeType() {
  return QLatin1String(kRawBytesMimeType);
}

void PutOnClipboard(const std::string& bytes) {
  auto* data = new QMimeData;
  data->setData(RawBytesMimeType(), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  data->setText(Shown(bytes));
  QApplication::clipboard()->setMimeData(data);
}

// Exact bytes from another box; plain text from elsewhere as its characters, nullopt when
// one of them is beyond code 255.
std::optional<std::string> FromClipboard() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (!data) return std::string();
  if (data->hasFormat(RawBytesMimeType())) {
    const QByteArray bytes = data->data(RawBytesMimeType());
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
  }
  return ToBytesExactly(data->text());
}

// Printable characters only: control characters are entered with Enter or the chart.
bool IsTypedText(const QString& text) {
  return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
    return c.unicode() >= 0x20 && c.unicode() != 0x7F &&
           !(c.unicode() >= 0x80 && c.unicode() < 0xA0);
  });
}

}  // namespace

RawStringEdit::RawStringEdit(QWidget* parent) : QLineEdit(parent) {
  // An input method composes characters no byte can hold, and drops go past the bytes.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setAcceptDrops(false);
  // Any change that still reaches the text directly (a middle-click paste of the X11
  // selection, setText by a caller) is carried into the bytes.
  connect(this, &QLineEdit::textChanged, this, &RawStringEdit::FollowText);
  connect(this, &QLineEdit::textEdited, this, &RawStringEdit::BytesEdited);
}

void RawStringEdit::SetBytes(const std::string& bytes) {
  bytes_ = bytes;
  Show(static_cast<int>(bytes_.size()));
}

void RawStringEdit::InsertBytes(const std::string& bytes) {
  ReplaceSelection(bytes);
}

void RawStringEdit::Show(int cursor) {
  showing_ = true;
  setText(Shown(bytes_));
  setCursorPosition(cursor);
  showing_ = false;
}

void RawStringEdit::ReplaceSelection(const std::string& bytes) {
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  const int length = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
  if (length == 0 && bytes.empty()) return;
  bytes_.replace(static_cast<size_t>(start), static_cast<size_t>(length), bytes);
  Show(start + static_cast<int>(bytes.size()));
  emit BytesEdited();
}

void RawStringEdit::FollowText() {
  if (showing_) return;
  // The part that changed lies between what old and new text share at both ends.
  const QString shown = Shown(bytes_);
  const QString now = text();
  if (now == shown) return;
  // NUL and byte 255 look alike, so the common ends alone may misplace the change: it ends
  // at the cursor, which bounds how far the unchanged start can reach.
  const qsizetype shorter = std::min(shown.size(), now.size());
  const qsizetype reach = std::clamp<qsizetype>(
      cursorPosition() - std::max<qsizetype>(0, now.size() - shown.size()), 0, shorter);
  qsizetype prefix = 0;
  while (prefix < reach && shown[prefix] == now[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < shorter - prefix &&
         shown[shown.size() - 1 - suffix] == now[now.size() - 1 - suffix])
    ++suffix;
  const std::string inserted = ToBytes(now.mid(prefix, now.size() - prefix - suffix));
  bytes_.replace(static_cast<size_t>(prefix), static_cast<size_t>(shown.size() - prefix - suffix),
                 inserted);
  // A character no byte holds became '?': show what is kept.
  if (Shown(bytes_) != now)
    Show(static_cast<int>(prefix + static_cast<qsizetype>(inserted.size())));
}

void RawStringEdit::CopyBytes() {
  if (!hasSelectedText()) return;
  PutOnClipboard(bytes_.substr(static_cast<size_t>(selectionStart()),
                               static_cast<size_t>(selectedText().size())));
}

void RawStringEdit::CutBytes() {
  if (!hasSelectedText() || isReadOnly()) return;
  CopyBytes();
  ReplaceSelection({});
}

void RawStringEdit::PasteBytes() {
  if (isReadOnly()) return;
  const std::optional<std::string> bytes = FromClipboard();
  if (!bytes) {
    QApplication::beep();
    return;
  }
  ReplaceSelection(*bytes);
}

void RawStringEdit::keyPressEvent(QKeyEvent* event) {
  if (!isReadOnly() && HandleEditKey(*event)) {
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
    CopyBytes();  // a read-only box still copies its exact bytes
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

bool RawStringEdit::HandleEditKey(const QKeyEvent& event) {
  const int key = event.key();
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  if (event.matches(QKeySequence::Copy) ||
      (key == Qt::Key_Insert && modifiers == Qt::ControlModifier)) {
    CopyBytes();
    return true;
  }
  if (event.matches(QKeySequence::Cut) && hasSelectedText()) {
    CutBytes();
    return true;
  }
  if (event.matches(QKeySequence::Paste) ||
      (key == Qt::Key_Insert && modifiers == Qt::ShiftModifier)) {
    PasteBytes();
    return true;
  }
  if (event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo)) return true;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (!enterInsertsCrLf_) return false;
    ReplaceSelection("\r\n");
    return true;
  }
  if (DeleteByKey(event)) return true;
  if (IsTypedText(event.text())) {
    const std::optional<std::string> typed = ToBytesExactly(event.text());
    if (typed)
      ReplaceSelection(*typed);
    else
      QApplication::beep();
    return true;
  }
  return false;
}

// Backspace, Delete and the word and line deletions: the range they remove is selected
// with the box's own movements, then removed from the bytes.
bool RawStringEdit::DeleteByKey(const QKeyEvent& event) {
  const int key = event.key();
  const bool shiftDelete = key == Qt::Key_Delete && event.modifiers() == Qt::ShiftModifier;
  const bool backspace = key == Qt::Key_Backspace || shiftDelete;
  if (backspace && (event.modifiers() & Qt::AltModifier)) return true;
  if (hasSelectedText()) {
    if (!backspace && key != Qt::Key_Delete && !event.matches(QKeySequence::DeleteStartOfWord) &&
        !event.matches(QKeySequence::DeleteEndOfWord) &&
        !event.matches(QKeySequence::DeleteEndOfLine) &&
        !event.matches(QKeySequence::DeleteCompleteLine))
      return false;
  } else if (event.matches(QKeySequence::DeleteStartOfWord)) {
    cursorWordBackward(true);
  } else if (event.matches(QKeySequence::DeleteEndOfWord)) {
    cursorWordForward(true);
  } else if (event.matches(QKeySequence::DeleteEndOfLine)) {
    end(true);
  } else if (event.matches(QKeySequence::DeleteCompleteLine)) {
    selectAll();
  } else if (backspace) {
    cursorBackward(true);
  } else if (key == Qt::Key_Delete) {
    cursorForward(true);
  } else {
    return false;
  }
  if (hasSelectedText()) ReplaceSelection({});
  return true;
}

// The box's usual menu, its clipboard items going through the bytes. Its items are known
// by the shortcut they show; Delete and Select All stay the box's own (FollowText carries
// a deletion into the bytes).
void RawStringEdit::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  const auto shows = [](const QAction& action, QKeySequence::StandardKey key) {
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    return !shortcut.isEmpty() && action.text().section(QLatin1Char('\t'), 1) == shortcut;
  };
  for (QAction* action : menu->actions()) {
    const auto reroute = [this, action](void (RawStringEdit::*operation)()) {
      disconnect(action, &QAction::triggered, nullptr, nullptr);
      connect(action, &QAction::triggered, this, operation);
    };
    if (shows(*action, QKeySequence::Undo) || shows(*action, QKeySequence::Redo))
      action->setVisible(false);
    else if (shows(*action, QKeySequence::Cut))
      reroute(&RawStringEdit::CutBytes);
    else if (shows(*action, QKeySequence::Copy))
      reroute(&RawStringEdit::CopyBytes);
    else if (shows(*action, QKeySequence::Paste))
      reroute(&RawStringEdit::PasteBytes);
  }
  menu->exec(event->globalPos());
}

}  // namespace fenno
