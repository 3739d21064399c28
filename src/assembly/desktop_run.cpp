#include "assembly/desktop_run.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include "dde/dbus_live_data.h"
#include "hotkeys/dbus_portal_hot_key_hook.h"
#include "hotkeys/hot_keys.h"
#include "hotkeys/hotkeys_text_ids.h"
#include "hotkeys/x11_global_hot_keys.h"
#include "keys/dbus_gnome_windows.h"
#include "keys/dbus_kwin_windows.h"
#include "keys/dbus_wayland_desktop.h"
#include "keys/dbus_wayland_keystrokes.h"
#include "keys/wayland_text_ids.h"
#include "keys/x11_desktop_keystrokes.h"
#include "transport/qt_device_port.h"

namespace fenno {

// Live data serves the engine's items and commands once the engine exists.
class DesktopRun::LiveDataPart : public RunPart {
 public:
  LiveDataPart(LiveData& liveData, WorkingValues& working, const Clock& clock,
               const RegionalSettings& regional)
      : liveData_(liveData), working_(working), clock_(clock), regional_(regional) {}
  void Attach(Engine& engine) override { liveData_.Attach(engine, working_, clock_, regional_); }

 private:
  LiveData& liveData_;
  WorkingValues& working_;
  const Clock& clock_;
  const RegionalSettings& regional_;
};

// The hot keys are grabbed while the engine runs; a configuration loaded while running
// brings its own. On Wayland the desktop's global shortcuts take the place of X11 grabs.
class DesktopRun::HotKeysPart : public RunPart {
 public:
  HotKeysPart(const Edition& edition, Prompt& prompt, const StringTable& strings, bool wayland)
      : edition_(edition), prompt_(prompt), strings_(strings), wayland_(wayland) {}
  void Attach(Engine& engine) override {
    if (!wayland_) {
      hotKeys_ = std::make_unique<GlobalHotKeys>(edition_, engine, prompt_, strings_);
      return;
    }
    portalHook_ = std::make_unique<PortalHotKeyHook>(QDBusConnection::sessionBus(), [this] {
      prompt_.Show({strings_.Text(str::kNoGlobalShortcutsPortal), strings_.Text(str::kHotKeysTitle),
                    PromptButtons::Ok, PromptIcon::Exclamation});
    });
    portalHotKeys_ = std::make_unique<HotKeys>(edition_, engine, *portalHook_);
  }
  void Started() override { Start(); }
  void Restarted() override {
    Stopping();
    Start();
  }
  void Stopping() override {
    if (hotKeys_) hotKeys_->Stop();
    if (portalHotKeys_) portalHotKeys_->Stop();
  }

 private:
  void Start() {
    if (hotKeys_) hotKeys_->Start();
    if (portalHotKeys_) portalHotKeys_->Start();
  }

  const Edition& edition_;
  Prompt& prompt_;
  const StringTable& strings_;
  bool wayland_;
  std::unique_ptr<GlobalHotKeys> hotKeys_;
  std::unique_ptr<PortalHotKeyHook> portalHook_;
  std::unique_ptr<HotKeys> portalHotKeys_;
};

namespace {

bool OwnWindowFocused() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
         QGuiApplication::focusWindow() != nullptr;
}

}  // namespace

DesktopRun::DesktopRun(const Edition& edition, Settings& settings, WorkingValues& working,
                       Prompt& prompt, const StringTable& strings, const RegionalSettings& regional,
                       DesktopRunOptions options)
    : edition_(edition),
      settings_(settings),
      working_(working),
      prompt_(prompt),
      strings_(strings),
      regional_(regional),
      options_(std::move(options)),
      store_(std::string(edition.programName)),
      virtualPort_(options_.virtualDisplay ? options_.virtualDisplay
                                           : VirtualPort::Display([](std::string_view) {})) {
  tick_.setInterval(Engine::kTickMs);
}

DesktopRun::~DesktopRun() {
  Close();
}

bool DesktopRun::Open() {
  if (assembly_) return true;
  Port* port = &virtualPort_;
  if (options_.mode != ActivationMode::Virtual) {
    devicePort_ = MakeDevicePort(PortContext{settings_, edition_, store_, prompt_, strings_});
    if (!devicePort_ || !devicePort_->Open()) {
      devicePort_.reset();
      return false;
    }
    port = devicePort_.get();
  }
  // Keystrokes need the desktop's display, which is opened when the first record is typed.
  const DesktopSession session =
      DetectDesktopSession(ReadSessionClues(QDBusConnection::sessionBus()));
  keystrokes_ = MakeKeystrokes(session);
  liveData_ = std::make_unique<LiveData>(edition_, settings_, strings_, prompt_,
                                         QDBusConnection::sessionBus(), options_.clipboard);
  liveDataPart_ = std::make_unique<LiveDataPart>(*liveData_, working_, clock_, regional_);
  hotKeysPart_ = std::make_unique<HotKeysPart>(edition_, prompt_, strings_,
                                               session.display == DisplayServer::Wayland);

  EngineServices services{*port, clock_, events_, prompt_, strings_, regional_};
  services.unattended = options_.unattended;
  services.keystrokes = keystrokes_.get();
  services.ddeClient = liveData_->Client();
  services.links = liveData_->Links();
  assembly_ = std::make_unique<EngineAssembly>(
      edition_, settings_, working_, options_.mode, services,
      std::vector<RunPart*>{liveDataPart_.get(), hotKeysPart_.get()});
  return true;
}

// On Wayland XTest reaches only XWayland windows: keystrokes go through the desktop portal.
std::unique_ptr<KeystrokeTarget> DesktopRun::MakeKeystrokes(const DesktopSession& session) {
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (session.display == DisplayServer::X11)
    return std::make_unique<DesktopKeystrokes>(clock_, events_, prompt_, strings_);
  WaylandKeystrokesSetup setup{bus,
                               store_,
                               std::string(edition_.programName),
                               ReadDesktopLayout(session.desktop),
                               OwnWindowFocused,
                               CapsLockLightOn,
                               nullptr};
  if (session.desktop == DesktopKind::Kde)
    setup.focuser = std::make_shared<KwinWindows>(bus, session.plasmaVersion);
  else if (GnomeExtensionWindows::Available(bus))
    setup.focuser = std::make_shared<GnomeExtensionWindows>(bus);
  return std::make_unique<WaylandKeystrokes>(std::move(setup), clock_, events_, prompt_, strings_);
}

void DesktopRun::Start(std::function<void()> afterTick) {
  if (!Open()) return;
  assembly_->Start();
  QObject::connect(&tick_, &QTimer::timeout, [this, afterTick = std::move(afterTick)] {
    assembly_->Tick();
    if (afterTick) afterTick();
  });
  tick_.start();
}

void DesktopRun::Close() {
  tick_.stop();
  if (assembly_) assembly_->Close();
}

}  // namespace fenno
