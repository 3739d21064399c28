#pragma once

// Texts cross the session bus as strings whose characters are the 8-bit characters of
// the same code (Latin-1), and the calls the live-data parts make on it.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "base/qt_text.h"

namespace fenno {

inline constexpr QLatin1String kDdeInterface{"dde.Conversation"};
inline constexpr QLatin1String kDdeObjectPath{"/"};
inline constexpr QLatin1String kUnknownItemError{"dde.Error.UnknownItem"};

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
