#pragma once

// A run of the engine on this desktop, built from the real services: the device (serial
// port or TCP connection, or the virtual device), the system clock, Qt's event loop, the
// display's keystrokes and hot keys, live data on the session bus and the 50 ms tick. The
// headless runner and the engine window each own one; neither builds any of it by hand.

#include <QTimer>
#include <functional>
#include <memory>

#include "base/clock.h"
#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/qt_user_store.h"
#include "config/settings.h"
#include "engine/engine_assembly.h"
#include "engine/qt_event_pump.h"
#include "engine/virtual_port.h"
#include "keys/desktop_session.h"

namespace fenno {

class Clipboard;
class LiveData;

struct DesktopRunOptions {
  ActivationMode mode = ActivationMode::Normal;
  // Virtual mode: where what the engine sends to the device is shown.
  VirtualPort::Display virtualDisplay;
  // The clipboard of the link commands; null without windows.
  Clipboard* clipboard = nullptr;
  // Nobody answers questions (headless).
  bool unattended = false;
};

class DesktopRun {
 public:
  DesktopRun(const Edition& edition, Settings& settings, WorkingValues& working, Prompt& prompt,
             const StringTable& strings, const RegionalSettings& regional,
             DesktopRunOptions options);
  ~DesktopRun();
  DesktopRun(const DesktopRun&) = delete;
  DesktopRun& operator=(const DesktopRun&) = delete;

  // Opens the device (the virtual device always opens) and builds the engine around it.
  // False when the device cannot be opened; the reason has been told through the prompt.
  bool Open();
  // Starts the engine, its parts and the tick. `afterTick` runs after every tick.
  void Start(std::function<void()> afterTick = {});
  // Stops the tick, lets the hot keys go and closes the engine and the device.
  void Close();

  Engine& engine() { return assembly_->engine(); }
  bool IsOpen() const { return assembly_ != nullptr; }
  VirtualPort& virtualPort() { return virtualPort_; }
  // The serial port or TCP connection; null in virtual mode and before Open.
  const Port* devicePort() const { return devicePort_.get(); }
  LiveData& liveData() { return *liveData_; }
  const Clock& clock() const { return clock_; }

 private:
  class LiveDataPart;
  class HotKeysPart;

  std::unique_ptr<KeystrokeTarget> MakeKeystrokes(const DesktopSession& session);

  const Edition& edition_;
  Settings& settings_;
  WorkingValues& working_;
  Prompt& prompt_;
  const StringTable& strings_;
  const RegionalSettings& regional_;
  DesktopRunOptions options_;

  SystemClock clock_;
  QtEventPump events_;
  IniUserStore store_;
  VirtualPort virtualPort_;
  std::unique_ptr<Port> devicePort_;
  std::unique_ptr<KeystrokeTarget> keystrokes_;
  std::unique_ptr<LiveData> liveData_;
  std::unique_ptr<LiveDataPart> liveDataPart_;
  std::unique_ptr<HotKeysPart> hotKeysPart_;
  std::unique_ptr<EngineAssembly> assembly_;
  QTimer tick_;
};

}  // namespace fenno
