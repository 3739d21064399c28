#include "ui/engine_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <vector>

#include "assembly/desktop_run.h"
#include "base/qt_text.h"
#include "dde/dbus_live_data.h"
#include "dde/qt_clipboard.h"
#include "engine/engine.h"
#include "engine/engine_window_rules.h"
#include "transport/qt_tcp_port.h"
#include "ui/about_box.h"
#include "ui/captions.h"
#include "ui/engine_panel.h"
#include "ui/engine_tray.h"
#include "ui/terminal_window.h"

namespace fenno {

EngineWindow::EngineWindow(const EngineWindowContext& context, ActivationMode mode, QWidget* parent)
    : QMainWindow(parent), context_(context), mode_(mode) {
  setObjectName(QStringLiteral("engineWindow"));
  const QIcon icon = QIcon::fromTheme(FromUtf8(context.edition.executableName),
                                      style()->standardIcon(QStyle::SP_ComputerIcon));
  setWindowIcon(icon);

  clipboard_ = MakeDesktopClipboard();
  DesktopRunOptions options;
  options.mode = mode;
  options.clipboard = clipboard_.get();
  if (mode == ActivationMode::Virtual) {
    virtualDevice_ =
        std::make_unique<TerminalWindow>(context.strings, [this](std::string_view bytes) {
          if (run_) run_->virtualPort().SendToEngine(bytes);
        });
    virtualDevice_->setWindowIcon(icon);
    connect(virtualDevice_.get(), &TerminalWindow::QuitRequested, this, &EngineWindow::CloseSoon);
    options.virtualDisplay = [this](std::string_view bytes) {
      if (virtualDevice_) virtualDevice_->ShowDeviceOutput(bytes);
    };
  }
  run_ = std::make_unique<DesktopRun>(context.edition, context.settings, context.working,
                                      context.prompt, context.strings, context.regional,
                                      std::move(options));

  menus_ = BuildEngineMenus(*menuBar());
  BuildPanel();
  tray_ = new EngineTray(icon, context.strings, this);
  connect(tray_, &EngineTray::OpenRequested, this, &EngineWindow::ShowFromTray);
  connect(tray_, &EngineTray::AboutRequested, this, &EngineWindow::ShowAbout);
  ConnectMenus();
  ApplyCaptions(*this, context.strings);
}

EngineWindow::~EngineWindow() {
  // The run goes first: its engine reports to this window while it closes.
  if (run_) run_->Close();
  run_.reset();
}

bool EngineWindow::Open() {
  if (!run_->Open()) return false;
  if (!observing_) {
    observing_ = true;
    engine().AddObserver(this);
  }
  return true;
}

void EngineWindow::Start() {
  if (!Open()) return;
  started_ = true;
  RestorePosition();
  if (context_.settings.AlwaysOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // The connection can change between any two ticks; the caption follows it.
  run_->Start([this] { ShowCaption(); });
  tray_->Show();
  if (context_.settings.MinimizeOnActivation)
    showMinimized();
  else
    show();
  if (virtualDevice_) virtualDevice_->show();
}

Engine& EngineWindow::engine() {
  return run_->engine();
}

// ---------------------------------------------------------------------------------------
// Building

void EngineWindow::BuildPanel() {
  auto* panel = new EnginePanel(context_.settings,
                                LineButtonsShown(context_.edition, context_.settings.EngineButtons),
                                context_.strings);
  ApplyCaptions(*panel, context_.strings);
  connect(panel, &EnginePanel::StringButtonReleased, this,
          [this](int button) { engine().PushButton(button); });
  connect(panel, &EnginePanel::DtrClicked, this, [this] { engine().PulseDtr(); });
  connect(panel, &EnginePanel::BreakClicked, this, [this] { engine().StartBreak(); });
  connect(panel, &EnginePanel::CopyRequested, this, &EngineWindow::CopyFocusedItem);
  if (panel_) panel_->deleteLater();
  panel_ = panel;
  setCentralWidget(panel);
}

void EngineWindow::ConnectMenus() {
  connect(menus_.edit, &QMenu::aboutToShow, this, &EngineWindow::OpenEditMenu);
  connect(menus_.copy, &QAction::triggered, this, &EngineWindow::CopyFocusedItem);
  // The link items act through the Edit menu's presenter, which exists once the run is open.
  const auto onMenu = [this](QAction* action, void (LinkMenu::*operation)()) {
    connect(action, &QAction::triggered, this, [this, operation] {
      if (!run_->IsOpen()) return;
      if (LinkMenu* menu = run_->liveData().Menu()) (menu->*operation)();
    });
  };
  const auto onPaste = [this](QAction* action, bool (LinkMenu::*operation)()) {
    connect(action, &QAction::triggered, this, [this, operation] {
      if (!run_->IsOpen()) return;
      if (LinkMenu* menu = run_->liveData().Menu()) (menu->*operation)();
    });
  };
  onPaste(menus_.pasteCommand, &LinkMenu::PasteCommandLink);
  onMenu(menus_.refreshCommand, &LinkMenu::RefreshCommandLink);
  onMenu(menus_.terminateCommand, &LinkMenu::TerminateCommandLink);
  onPaste(menus_.pasteBuffer, &LinkMenu::PasteBufferLink);
  onMenu(menus_.refreshBuffer, &LinkMenu::RefreshBufferLink);
  onMenu(menus_.terminateBuffer, &LinkMenu::TerminateBufferLink);

  connect(menus_.suspend, &QAction::triggered, this, [this] { engine().ToggleSuspend(); });
  connect(menus_.resumeForOneRecord, &QAction::triggered, this,
          [this] { engine().ResumeForOneRecord(); });
  connect(menus_.reset, &QAction::triggered, this, [this] { engine().Reset(); });
  connect(menus_.timedOutput, &QAction::triggered, this, [this] { engine().ToggleTimedOutput(); });
  connect(menus_.quitEngine, &QAction::triggered, this, &QWidget::close);
  connect(menus_.about, &QAction::triggered, this, &EngineWindow::ShowAbout);
}

// ---------------------------------------------------------------------------------------
// Menus

void EngineWindow::OpenEditMenu() {
  LinkMenu* menu = run_->IsOpen() ? run_->liveData().Menu() : nullptr;
  ShowEditMenu(menus_, menu ? menu->State() : LinkMenuState{}, panel_->CopyItem().has_value());
}

void EngineWindow::CopyFocusedItem() {
  const std::optional<ItemRef> item = panel_->CopyItem();
  if (!item || !run_->IsOpen()) return;
  LinkMenu* menu = run_->liveData().Menu();
  if (!menu) return;
  const Engine& running = engine();
  switch (item->kind) {
    case ItemRef::Kind::Field:
      menu->CopyItem(FieldItemName(item->field), running.FieldText(item->field));
      break;
    case ItemRef::Kind::DateTime:
      menu->CopyItem(kDateTimeItem, running.DateTimeText());
      break;
    case ItemRef::Kind::RecordNumber:
      menu->CopyItem(kRecordNumberItem, running.RecordNumberText());
      break;
  }
}

void EngineWindow::ShowAbout() {
  if (!about_) {
    about_ = new AboutBox(context_.edition, context_.strings, this);
    about_->setAttribute(Qt::WA_DeleteOnClose);
    about_->setWindowModality(Qt::ApplicationModal);
  }
  about_->show();
  about_->raise();
  about_->activateWindow();
}

// ---------------------------------------------------------------------------------------
// What the engine reports

void EngineWindow::OnFieldText(int field, const std::string& text) {
  panel_->SetFieldText(field, FromBytes(text));
}

void EngineWindow::OnRecordNumber(const std::string& text) {
  panel_->SetRecordNumber(FromBytes(text));
}

void EngineWindow::OnDateTime(const std::string& text) {
  panel_->SetDateTime(FromBytes(text));
}

void EngineWindow::OnCaption(const std::string& caption) {
  engineCaption_ = caption;
  ShowCaption();
}

void EngineWindow::ShowCaption() {
  std::string caption = engineCaption_;
  const auto* tcp = run_ ? dynamic_cast<const TcpPort*>(run_->devicePort()) : nullptr;
  if (tcp) {
    const bool server = context_.settings.TcpMode == 1;
    caption = CaptionWithConnection(caption, tcp->SocketState(),
                                    server ? tcp->PeerAddress() : std::string(), context_.strings);
  }
  if (caption == shownCaption_) return;
  shownCaption_ = caption;
  setWindowTitle(FromUtf8(caption));
  tray_->SetCaption(caption);
}

void EngineWindow::OnMenuState() {
  ShowQuitMenu(menus_, QuitMenuOf(engine()));
}

void EngineWindow::OnShowWindowNormal() {
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  showNormal();
  setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void EngineWindow::OnMinimizeWindow() {
  showMinimized();
}

// A configuration loaded while running brings its own fields and buttons.
void EngineWindow::OnRestarted() {
  BuildPanel();
  OnMenuState();
}

void EngineWindow::OnReset() {
  if (!context_.edition.resetReturnsToSetup) return;
  // The reset may run inside a tick: the window goes from the event loop.
  QMetaObject::invokeMethod(this, &EngineWindow::ReturnToSetup, Qt::QueuedConnection);
}

void EngineWindow::OnQuitRequested() {
  CloseSoon();
}

void EngineWindow::ReturnToSetup() {
  if (closed_) return;
  const QPointer<EngineWindow> self(this);
  emit ReturnToSetupRequested();
  if (self && !closed_) close();
}

void EngineWindow::CloseSoon() {
  QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------
// Window states

bool EngineWindow::TrayAvailable() const {
  return trayOverride_.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void EngineWindow::ShowFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void EngineWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const WindowStateAction action =
      OnWindowState(isMinimized(), context_.settings.AlwaysOnTop, TrayAvailable());
  // The flag is changed on the native window: changing the widget's flags would hide it.
  if (context_.settings.AlwaysOnTop && windowHandle())
    windowHandle()->setFlag(Qt::WindowStaysOnTopHint, action.topmost);
  if (action.hide) {
    QTimer::singleShot(0, this, [this] {
      if (isMinimized()) hide();
    });
  }
}

void EngineWindow::RestorePosition() {
  std::vector<ScreenRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->availableGeometry();
    screens.push_back({area.x(), area.y(), area.width(), area.height()});
  }
  if (const std::optional<ScreenPoint> place =
          LoadEnginePosition(context_.store, context_.edition, context_.working.PortName, screens))
    move(place->x, place->y);
}

void EngineWindow::StorePosition() {
  StoreEnginePosition(context_.store, context_.edition, context_.working.PortName,
                      {pos().x(), pos().y()});
}

void EngineWindow::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  // Inside a tick (a record being delivered waits for the desktop) the run cannot close
  // under the tick's feet: the waits give up and the window closes once the tick is over.
  if (run_->IsOpen() && engine().InsideTick()) {
    event->ignore();
    if (!closePending_) {
      closePending_ = true;
      engine().RequestStop();
      engine().RunOutsideTick([this] {
        closePending_ = false;
        CloseSoon();
      });
    }
    return;
  }
  closed_ = true;
  if (started_ && !isMinimized()) StorePosition();
  if (about_) about_->close();
  tray_->Hide();
  run_->Close();
  if (virtualDevice_) virtualDevice_->CloseQuietly();
  event->accept();
  emit Closed();
}

}  // namespace fenno
