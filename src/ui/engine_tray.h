#pragma once

// The engine's icon in the notification area: its tip is the window's caption, a double
// click opens the About box, and its menu holds Open (bring the window back) and About
// (the default item, in bold). Without a notification area the icon is never shown.

#include <QObject>
#include <string>

#include "base/string_table.h"

class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace fenno {

class EngineTray final : public QObject {
  Q_OBJECT

 public:
  EngineTray(const QIcon& icon, const StringTable& strings, QObject* parent = nullptr);
  ~EngineTray() override;

  // The window's caption (UTF-8); the tip shows as much of it as fits.
  void SetCaption(const std::string& caption);
  // Shows the icon when the desktop has a notification area.
  void Show();
  void Hide();

 signals:
  void OpenRequested();
  void AboutRequested();

 private:
  QSystemTrayIcon* icon_;
  QMenu* menu_;
};

}  // namespace fenno
