// The raw-string box keeps its bytes exactly through every edit, although NUL and byte 255
// look alike in it.

#include "ui/raw_string_edit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTimer>

namespace fenno {
namespace {

using namespace std::string_literals;

void Press(QWidget& box, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = QString()) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(&box, &press);
}

struct EditCase {
  const char* name;
  std::string before;
  int selectionStart;
  int selectionLength;  // 0: the caret at selectionStart
  int key;
  Qt::KeyboardModifiers modifiers;
  QString text;
  std::string after;
};

TEST(RawStringEditTest, KeysEditTheBytesNotTheirShownForm) {
  const EditCase cases[] = {
      {"typing replaces a NUL", "A\0B"s, 1, 1, Qt::Key_X, Qt::NoModifier, "x", "AxB"},
      {"typed y-diaeresis is byte 255", "\0"s, 1, 0, 0, Qt::NoModifier, QChar(0xFF), "\0\xFF"s},
      {"a character no byte holds", "\0"s, 1, 0, 0, Qt::NoModifier, QChar(0x3042), "\0"s},
      {"Backspace removes the NUL", "\xFF\0\xFF"s, 2, 0, Qt::Key_Backspace, Qt::NoModifier, "",
       "\xFF\xFF"},
      {"Delete removes the next byte", "\0\xFF\0"s, 1, 0, Qt::Key_Delete, Qt::NoModifier, "",
       "\0\0"s},
      {"Shift+Delete is Backspace", "\0\x01\0"s, 2, 0, Qt::Key_Delete, Qt::ShiftModifier, "",
       "\0\0"s},
      {"Enter inserts CR LF", "\0\0"s, 1, 0, Qt::Key_Return, Qt::NoModifier, "\r", "\0\r\n\0"s},
      {"a typed control character", "\0"s, 1, 0, Qt::Key_G, Qt::ControlModifier, "\x07", "\0"s},
      {"Ctrl+Backspace removes a word", "ab\0 cd"s, 6, 0, Qt::Key_Backspace, Qt::ControlModifier,
       "", "ab\0 "s},
      {"no undo of a shown NUL", "\0\0"s, 2, 0, Qt::Key_Z, Qt::ControlModifier, "\x1a", "\0\0"s},
  };
  for (const EditCase& c : cases) {
    RawStringEdit box;
    box.SetBytes(c.before);
    int edits = 0;
    QObject::connect(&box, &RawStringEdit::BytesEdited, [&edits] { ++edits; });
    box.setSelection(c.selectionStart, c.selectionLength);
    if (c.selectionLength == 0) box.setCursorPosition(c.selectionStart);
    Press(box, c.key, c.modifiers, c.text);
    EXPECT_EQ(box.Bytes(), c.after) << c.name;
    EXPECT_EQ(box.text().size(), static_cast<qsizetype>(box.Bytes().size())) << c.name;
    EXPECT_EQ(edits > 0, c.after != c.before) << c.name;
  }
}

TEST(RawStringEditTest, ClipboardKeysAndMenuCarryTheExactBytes) {
  RawStringEdit source;
  RawStringEdit target;
  source.SetBytes("A\0B"s);
  source.setSelection(1, 1);
  Press(source, Qt::Key_Delete, Qt::ShiftModifier);  // cut
  EXPECT_EQ(source.Bytes(), "AB");
  target.SetBytes("\xFF"s);
  Press(target, Qt::Key_Insert, Qt::ShiftModifier);  // paste
  EXPECT_EQ(target.Bytes(), "\xFF\0"s);
  target.selectAll();
  Press(target, Qt::Key_C, Qt::ControlModifier);
  // Other programs get the shown text.
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1("\xFF\xFF"));

  // The context menu runs modally: its item is chosen once it shows.
  const auto choose = [&source](const char* item) {
    QTimer::singleShot(0, [item] {
      QWidget* menu = QApplication::activePopupWidget();
      ASSERT_NE(menu, nullptr);
      menu->close();
      for (QAction* action : menu->actions())
        if (action->text().startsWith(QLatin1String(item))) action->trigger();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(&source, &event);
  };
  source.setCursorPosition(1);
  choose("&Paste");
  EXPECT_EQ(source.Bytes(), "A\xFF\0B"s);
  source.setSelection(1, 1);  // Delete stays the box's own; the bytes follow it
  choose("Delete");
  EXPECT_EQ(source.Bytes(), "A\0B"s);
}

TEST(RawStringEditTest, PlainTextFromOtherProgramsIsTakenAsItsCharacters) {
  RawStringEdit box;
  box.SetBytes("\0"s);
  QApplication::clipboard()->setText(QString::fromLatin1("\xFF\tz"));
  box.PasteBytes();
  EXPECT_EQ(box.Bytes(), "\0\xFF\tz"s);
  QApplication::clipboard()->setText(QStringLiteral("a\u3042"));
  box.PasteBytes();
  EXPECT_EQ(box.Bytes(), "\0\xFF\tz"s);  // refused whole
  // A change that reaches the text directly keeps the bytes it did not touch.
  box.setText(box.text() + QStringLiteral("!"));
  EXPECT_EQ(box.Bytes(), "\0\xFF\tz!"s);
}

}  // namespace
}  // namespace fenno
