#include "ui/raw_string_edit.h"

namespace fenno {
namespace {

constexpr char16_t kShownNul = 0xFF;

QString Shown(const std::string& bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    text.append(QChar(code == 0 ? kShownNul : char16_t(code)));
  }
  return text;
}

}  // namespace

RawStringEdit::RawStringEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, &RawStringEdit::BytesEdited);
}

void RawStringEdit::SetBytes(const std::string& bytes) {
  setText(Shown(bytes));
}

std::string RawStringEdit::Bytes() const {
  std::string bytes;
  const QString shown = text();
  bytes.reserve(static_cast<size_t>(shown.size()));
  for (const QChar c : shown) {
    const char16_t code = c.unicode();
    bytes.push_back(code == kShownNul ? '\0' : static_cast<char>(code > 0xFF ? '?' : code));
  }
  return bytes;
}

void RawStringEdit::InsertBytes(const std::string& bytes) {
  insert(Shown(bytes));
  emit BytesEdited();
}

}  // namespace fenno
