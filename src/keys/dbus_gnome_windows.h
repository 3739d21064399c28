#pragma once

// Window activation on GNOME through the program's optional Shell extension
// (data/gnome-shell), which offers it on the session bus while it is enabled.

#include <QDBusConnection>

#include "keys/window_focuser.h"

namespace fenno {

inline constexpr char kGnomeWindowsService[] = "org.fenno.Windows";

class GnomeExtensionWindows : public WindowFocuser {
 public:
  static constexpr int kAnswerTimeoutMs = 3000;

  explicit GnomeExtensionWindows(QDBusConnection bus) : bus_(std::move(bus)) {}
  // True while the extension is enabled in this session.
  static bool Available(const QDBusConnection& bus);

  std::optional<FocusedTarget> Focus(const std::string& titlePiece) override;
  void GiveBack(const FocusedTarget& focused) override;

 private:
  QDBusConnection bus_;
};

}  // namespace fenno
