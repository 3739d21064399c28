#pragma once

// The engine window: shows a running engine (field boxes, record number, clock, output
// string buttons, line buttons) and its menus. It owns the run (assembly/desktop_run.h)
// and observes the engine; it never opens a device itself.

#include <QMainWindow>
#include <memory>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "config/user_store.h"
#include "engine/engine_control.h"
#include "engine/regional.h"

namespace fenno {

class DesktopRun;
class Engine;

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

class EngineWindow : public QMainWindow {
  Q_OBJECT

 public:
  EngineWindow(const EngineWindowContext& context, ActivationMode mode, QWidget* parent = nullptr);
  ~EngineWindow() override;

  // Opens the device and builds the engine around it. False when the device cannot be
  // opened; the reason has been told through the prompt.
  bool Open();
  // Shows the window and starts the engine (after Open).
  void Start();
  Engine& engine();
  ActivationMode mode() const { return mode_; }

 signals:
  // The window has closed and the engine with it (Quit, the window's close button,
  // "{APPEXIT}").
  void Closed();
  void ReturnToSetupRequested();  // Netfenno's Reset: back to the setup window

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  EngineWindowContext context_;
  ActivationMode mode_;
  std::unique_ptr<DesktopRun> run_;
};

}  // namespace fenno
