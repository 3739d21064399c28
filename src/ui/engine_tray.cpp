#include "ui/engine_tray.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

#include "base/qt_text.h"
#include "engine/engine_window_rules.h"
#include "ui/captions.h"

namespace fenno {

EngineTray::EngineTray(const QIcon& icon, const StringTable& strings, QObject* parent)
    : QObject(parent), icon_(new QSystemTrayIcon(icon, this)), menu_(new QMenu) {
  menu_->setObjectName(QStringLiteral("trayMenu"));
  QAction* open = menu_->addAction(Caption(strings, 5006));
  open->setObjectName(QStringLiteral("actionTrayOpen"));
  QAction* about = menu_->addAction(Caption(strings, 3010));
  about->setObjectName(QStringLiteral("actionTrayAbout"));
  QFont bold = about->font();
  bold.setBold(true);
  about->setFont(bold);
  menu_->setDefaultAction(about);
  connect(open, &QAction::triggered, this, &EngineTray::OpenRequested);
  connect(about, &QAction::triggered, this, &EngineTray::AboutRequested);
  icon_->setContextMenu(menu_);
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::DoubleClick) emit AboutRequested();
  });
}

// The menu has no parent widget (the tray owns no widgets), so it is deleted here.
EngineTray::~EngineTray() {
  delete menu_;
}

void EngineTray::SetCaption(const std::string& caption) {
  icon_->setToolTip(FromUtf8(TrayTip(caption)));
}

void EngineTray::Show() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) icon_->show();
}

void EngineTray::Hide() {
  icon_->hide();
}

}  // namespace fenno
