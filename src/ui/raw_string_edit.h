#pragma once

// The one-line box for raw bytes (acknowledgements, button strings, delimiters, the
// terminal's send box): every byte 0-255 is kept exactly, NUL shown as the character of
// code 255. Every window that edits raw bytes uses it.
//
// The box keeps the bytes beside the text it shows, because the shown text cannot tell NUL
// from byte 255. Every edit goes through the bytes first: typing (a character the bytes
// cannot hold is refused with a beep; control characters come from Enter or the ASCII
// chart), Backspace, Delete and the word and line deletions, cut, copy and paste (Ctrl+X,
// Ctrl+C, Ctrl+V, Shift+Delete, Ctrl+Insert, Shift+Insert and the context menu), and
// InsertBytes. Undo and redo are not offered: the box's own history knows only the text.
// The clipboard carries the exact bytes between these boxes (and the shown text for other
// programs); plain text pasted from elsewhere is taken character by character.

#include <QLineEdit>
#include <string>

namespace fenno {

class RawStringEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit RawStringEdit(QWidget* parent = nullptr);

  void SetBytes(const std::string& bytes);
  const std::string& Bytes() const { return bytes_; }
  // At the cursor, in place of the selection (the ASCII chart inserts this way).
  void InsertBytes(const std::string& bytes);

  // Enter inserts CR LF (the default); off, Enter goes to the dialog's default button.
  void SetEnterInsertsCrLf(bool on) { enterInsertsCrLf_ = on; }

  // The selected bytes onto the clipboard; Cut also removes them.
  void CopyBytes();
  void CutBytes();
  // The clipboard's bytes in place of the selection.
  void PasteBytes();
  void DeleteSelection() { ReplaceSelection({}); }

 signals:
  // The bytes changed by the user (typing, cutting, pasting, inserting).
  void BytesEdited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  bool HandleEditKey(const QKeyEvent& event);
  bool DeleteByKey(const QKeyEvent& event);
  void ReplaceSelection(const std::string& bytes);
  void Show(int cursor);
  void FollowText();

  std::string bytes_;
  bool enterInsertsCrLf_ = true;
  bool showing_ = false;  // the box's text is being set from the bytes
};

// The MIME type under which the boxes put their exact bytes on the clipboard.
inline constexpr const char* kRawBytesMimeType = "application/x-fenno-raw-bytes";

}  // namespace fenno
