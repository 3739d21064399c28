#include "app/command_sender.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdio>
#include <vector>

#include "base/qt_text.h"
#include "base/string_table.h"
#include "config/command_line.h"
#include "dde/dbus_text.h"
#include "dde/dde_names.h"
#include "keys/wayland_text_ids.h"

namespace fenno {
namespace {

constexpr int kAnswerTimeoutMs = 10000;

void PrintLine(std::FILE* stream, const std::string& text) {
  const std::string line = text + "\n";
  std::fwrite(line.data(), 1, line.size(), stream);
}

// The bus names of the program's running engines.
std::vector<QString> RunningEngines(const QDBusConnection& bus, const Edition& edition) {
  const QString prefix = FromUtf8("dde." + EscapeBusNameElement(edition.programName) + ".");
  std::vector<QString> engines;
  for (const QString& name : bus.interface()->registeredServiceNames().value())
    if (name.startsWith(prefix)) engines.push_back(name);
  return engines;
}

}  // namespace

int SendCommandToRunningProgram(const Edition& edition, const std::string& command,
                                const std::string& topic, int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const StringTable strings(edition.kind, LanguageFromEnvironment());
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    PrintLine(stderr, strings.Text(str::kNoSessionBusForCommand));
    return kExitNoRunningProgram;
  }
  QString service;
  if (!topic.empty()) {
    service = FromUtf8(DdeServiceName(edition.programName, topic).value_or(""));
  } else if (const std::vector<QString> engines = RunningEngines(bus, edition);
             engines.size() == 1) {
    service = engines.front();
  } else if (engines.size() > 1) {
    std::string names;
    for (const QString& name : engines) names += (names.empty() ? "" : ", ") + ToUtf8(name);
    PrintLine(stderr, strings.Format(str::kSeveralEnginesRun, {names}));
    return kExitNoRunningProgram;
  }
  const QDBusMessage answer =
      service.isEmpty()
          ? QDBusMessage()
          : CallAndWait(bus,
                        ConversationCall(service, QStringLiteral("Execute"), FromBytes(command)),
                        kAnswerTimeoutMs);
  if (answer.type() != QDBusMessage::ReplyMessage) {
    PrintLine(stderr, strings.Text(str::kNoEngineAnswered));
    return kExitNoRunningProgram;
  }
  if (answer.arguments().value(0).toBool()) {
    PrintLine(stdout, strings.Format(str::kCommandAccepted, {command}));
    return kExitOk;
  }
  PrintLine(stdout, strings.Format(str::kCommandRefused, {command}));
  return kExitCommandRefused;
}

}  // namespace fenno
