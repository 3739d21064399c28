#pragma once

// The one-line box for raw bytes (acknowledgements, button strings, delimiters, the
// terminal's send box): every byte 0-255 is kept exactly, NUL shown as the character of
// code 255. Every window that edits raw bytes uses it.

#include <QLineEdit>
#include <string>

namespace fenno {

class RawStringEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit RawStringEdit(QWidget* parent = nullptr);

  void SetBytes(const std::string& bytes);
  std::string Bytes() const;
  // At the cursor, in place of the selection (the ASCII chart inserts this way).
  void InsertBytes(const std::string& bytes);

 signals:
  // The bytes changed by the user (typing, cutting, pasting, inserting).
  void BytesEdited();
};

}  // namespace fenno
