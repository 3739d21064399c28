#pragma once

// The engine window: shows a running engine (field boxes, record number, clock, output
// string buttons, line buttons) and its menus, its icon in the notification area and, in
// virtual mode, the virtual device. It owns the run (assembly/desktop_run.h) and observes
// the engine; it never opens a device itself.

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "config/user_store.h"
#include "engine/engine_control.h"
#include "engine/engine_observer.h"
#include "engine/regional.h"
#include "ui/engine_menus.h"

namespace fenno {

class Clipboard;
class DesktopRun;
class Engine;
class AboutBox;
class EnginePanel;
class EngineTray;
class TerminalWindow;

// What an engine window borrows from the program; everything outlives the window.
struct EngineWindowContext {
  const Edition& edition;
  Settings& settings;
  WorkingValues& working;
  Prompt& prompt;
  const StringTable& strings;
  const RegionalSettings& regional;
  UserStore& store;
};

class EngineWindow : public QMainWindow, private EngineObserver {
  Q_OBJECT

 public:
  EngineWindow(const EngineWindowContext& context, ActivationMode mode, QWidget* parent = nullptr);
  ~EngineWindow() override;

  // Opens the device and builds the engine around it. False when the device cannot be
  // opened; the reason has been told through the prompt.
  bool Open();
  // Starts the engine and shows the window at its remembered place (minimised when the
  // settings say so), its icon, and in virtual mode the virtual device (after Open).
  void Start();
  Engine& engine();
  ActivationMode mode() const { return mode_; }

  // Whether a notification area exists to bring a hidden window back from. The desktop is
  // asked each time unless this is set (tests, and desktops that answer wrongly).
  void OverrideTrayAvailable(bool available) { trayOverride_ = available; }
  // Virtual mode: the virtual device window; null in the other modes.
  TerminalWindow* virtualDevice() const { return virtualDevice_.get(); }

 signals:
  // The window has closed and the engine with it (Quit, the window's close button,
  // "{APPEXIT}", the virtual device's Quit).
  void Closed();
  // Netfenno's engine was reset: the setup window is to be shown again. The window closes
  // right after this signal (Closed() follows) unless a receiver has closed it already, so
  // that Closed() is then a return to the setup window, not the end of the program.
  void ReturnToSetupRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // What the engine reports.
  void OnFieldText(int field, const std::string& text) override;
  void OnRecordNumber(const std::string& text) override;
  void OnDateTime(const std::string& text) override;
  void OnCaption(const std::string& caption) override;
  // The engine's caption, with the TCP program's connection and peer after it.
  void ShowCaption();
  void OnMenuState() override;
  void OnShowWindowNormal() override;
  void OnMinimizeWindow() override;
  void OnRestarted() override;
  void OnReset() override;
  void OnQuitRequested() override;

  void BuildPanel();
  void ConnectMenus();
  void OpenEditMenu();
  void CopyFocusedItem();
  void ShowAbout();
  void ShowFromTray();
  void ReturnToSetup();
  // Closes from the event loop, outside any tick.
  void CloseSoon();
  bool TrayAvailable() const;
  void RestorePosition();
  void StorePosition();

  EngineWindowContext context_;
  ActivationMode mode_;
  std::unique_ptr<Clipboard> clipboard_;
  std::unique_ptr<TerminalWindow> virtualDevice_;
  std::unique_ptr<DesktopRun> run_;
  std::string engineCaption_;
  std::string shownCaption_;
  EngineMenus menus_;
  EnginePanel* panel_ = nullptr;
  EngineTray* tray_ = nullptr;
  QPointer<AboutBox> about_;
  std::optional<bool> trayOverride_;
  bool observing_ = false;
  bool started_ = false;
  bool closePending_ = false;
  bool closed_ = false;
};

}  // namespace fenno
