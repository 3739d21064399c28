#include "keys/dbus_kwin_windows.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTemporaryFile>
#include <QTimer>
#include <span>
#include <utility>

#include "base/qt_text.h"

namespace fenno::kwin_scripts {
std::span<const std::pair<std::string_view, std::string_view>> EmbeddedFiles();
}  // namespace fenno::kwin_scripts

namespace fenno {
namespace {

const QString kKwinService = QStringLiteral("org.kde.KWin");
const QString kScriptingPath = QStringLiteral("/Scripting");
const QString kScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");

QString Latin(const char* text) {
  return QString::fromLatin1(text);
}

}  // namespace

std::string_view KwinFocusScript(int plasmaVersion) {
  const std::string_view wanted = plasmaVersion == 5 ? "focus-plasma5.js" : "focus-plasma6.js";
  for (const auto& [name, contents] : kwin_scripts::EmbeddedFiles())
    if (name == wanted) return contents;
  return {};
}

KwinWindows::KwinWindows(QDBusConnection bus, int plasmaVersion)
    : bus_(std::move(bus)), plasmaVersion_(plasmaVersion) {
  registered_ =
      bus_.registerObject(Latin(kKwinReportPath), this, QDBusConnection::ExportScriptableSlots);
}

KwinWindows::~KwinWindows() {
  if (registered_) bus_.unregisterObject(Latin(kKwinReportPath));
}

std::optional<FocusedTarget> KwinWindows::Focus(const std::string& titlePiece) {
  const auto answer = RunScript({{Latin("action"), Latin("focus")},
                                 {Latin("title"), FromBytes(titlePiece)},
                                 {Latin("ownPid"), static_cast<qint64>(::getpid())}});
  if (!answer) return std::nullopt;
  return FocusedTarget{answer->value(Latin("found")).toBool(),
                       ToUtf8(answer->value(Latin("target")).toString()),
                       ToUtf8(answer->value(Latin("previous")).toString()),
                       answer->value(Latin("wasMinimized")).toBool()};
}

void KwinWindows::GiveBack(const FocusedTarget& focused) {
  RunScript({{Latin("action"), Latin("giveBack")},
             {Latin("target"), FromUtf8(focused.target)},
             {Latin("previous"), FromUtf8(focused.previous)},
             {Latin("minimize"), focused.wasMinimized}});
}

void KwinWindows::Report(int serial, const QString& answer) {
  if (serial != serial_) return;  // a late answer of an earlier request
  answer_ = QJsonDocument::fromJson(answer.toUtf8()).object();
  if (answerLoop_) answerLoop_->quit();
}

// Loads the script with the request in place, starts it and waits for its answer; the
// script is unloaded whatever happens.
std::optional<QJsonObject> KwinWindows::RunScript(QJsonObject request) {
  if (!registered_) return std::nullopt;
  request.insert(Latin("service"), bus_.baseService());
  request.insert(Latin("path"), Latin(kKwinReportPath));
  request.insert(Latin("interface"), Latin(kKwinReportInterface));
  request.insert(Latin("serial"), ++serial_);
  QString script = FromUtf8(KwinFocusScript(plasmaVersion_));
  script.replace(Latin("FENNO_REQUEST"),
                 QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
  QTemporaryFile file;
  if (!file.open() || file.write(script.toUtf8()) < 0 || !file.flush()) return std::nullopt;

  const QString plugin = Latin("fenno-focus-") + QString::number(serial_);
  QDBusMessage load = QDBusMessage::createMethodCall(kKwinService, kScriptingPath,
                                                     kScriptingInterface, Latin("loadScript"));
  load << file.fileName() << plugin;
  answer_.reset();
  bus_.send(load);
  bus_.send(QDBusMessage::createMethodCall(kKwinService, kScriptingPath, kScriptingInterface,
                                           Latin("start")));
  if (!answer_) {
    QEventLoop loop;
    QTimer::singleShot(kAnswerTimeoutMs, &loop, &QEventLoop::quit);
    answerLoop_ = &loop;
    loop.exec();
    answerLoop_ = nullptr;
  }
  QDBusMessage unload = QDBusMessage::createMethodCall(kKwinService, kScriptingPath,
                                                       kScriptingInterface, Latin("unloadScript"));
  unload << plugin;
  bus_.send(unload);
  return answer_;
}

}  // namespace fenno
