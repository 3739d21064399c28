#pragma once

// Window activation on KDE Plasma through KWin's scripting on D-Bus: a script of the
// program's own (one for Plasma 5, one for Plasma 6) is loaded with the request filled in,
// run, and answers by calling this object back on the session bus.

#include <QDBusConnection>
#include <QEventLoop>
#include <QJsonObject>
#include <QObject>
#include <optional>
#include <string_view>

#include "keys/window_focuser.h"

namespace fenno {

inline constexpr char kKwinReportPath[] = "/KWinReport";
inline constexpr char kKwinReportInterface[] = "org.fenno.KWinReport";

// The script's text for a Plasma major version (6 and later use the Plasma 6 script).
std::string_view KwinFocusScript(int plasmaVersion);

class KwinWindows : public QObject, public WindowFocuser {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.fenno.KWinReport")

 public:
  static constexpr int kAnswerTimeoutMs = 3000;

  KwinWindows(QDBusConnection bus, int plasmaVersion);
  ~KwinWindows() override;

  std::optional<FocusedTarget> Focus(const std::string& titlePiece) override;
  void GiveBack(const FocusedTarget& focused) override;

 public slots:
  Q_SCRIPTABLE void Report(int serial, const QString& answer);

 private:
  std::optional<QJsonObject> RunScript(QJsonObject request);

  QDBusConnection bus_;
  int plasmaVersion_;
  bool registered_ = false;
  int serial_ = 0;
  std::optional<QJsonObject> answer_;
  QEventLoop* answerLoop_ = nullptr;
};

}  // namespace fenno
