#pragma once

// Every conversion between the program's texts and Qt's strings. The build forbids Qt's
// implicit conversions (QT_NO_CAST_FROM_ASCII), so the three kinds of text stay apart:
// - byte texts (device bytes, configuration texts, texts on the session bus): each 8-bit
//   character is the Unicode character of the same code (Latin-1);
// - file paths: the file system's encoding;
// - texts of the string table and other UTF-8 texts meant for people.

#include <QFile>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace fenno {

inline QString FromBytes(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Characters beyond code 255, which no byte text holds, become '?'.
inline std::string ToBytes(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// nullopt when the text holds a character beyond code 255.
inline std::optional<std::string> ToBytesExactly(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() > 0xFF) return std::nullopt;
  return ToBytes(text);
}

inline QString FromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

inline std::string ToPath(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace fenno
