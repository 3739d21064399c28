#pragma once

// Texts cross the session bus as strings whose characters are the 8-bit characters of
// the same code (Latin-1), and the calls the live-data parts make on it.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace fenno {

inline constexpr char kDdeInterface[] = "dde.Conversation";
inline constexpr char kDdeObjectPath[] = "/";
inline constexpr char kUnknownItemError[] = "dde.Error.UnknownItem";

QString ToBusText(std::string_view bytes);
// nullopt when the text holds a character beyond code 255, which no 8-bit text can carry.
std::optional<std::string> FromBusText(const QString& text);

// A call of `method` on the conversation object of `service`; the bus does not try to
// start a program for a name nobody owns.
QDBusMessage ConversationCall(const QString& service, const QString& method,
                              const QString& argument);

// Sends `call` and waits for its answer at most `timeoutMs`, handling this program's
// other events meanwhile (so it can answer calls of the program it waits for). The
// answer, or an error message when none came in time.
QDBusMessage CallAndWait(const QDBusConnection& connection, const QDBusMessage& call,
                         int timeoutMs);

}  // namespace fenno
