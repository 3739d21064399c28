#include "ui/desktop_probe.h"

#include <QGuiApplication>

#include "keys/virtual_keys.h"

// Xlib's macros break other headers: its users come last.
#include "keys/x11_connection.h"
#include "keys/x11_keymap.h"
#include "keys/x11_window_system.h"

namespace fenno {

struct DesktopProbe::Parts {
  X11Connection connection;  // silent: without a display the dialogs just offer less
  X11WindowSystem windows{connection};
  X11Keymap keymap{connection};
};

DesktopProbe::DesktopProbe() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  parts_ = std::make_unique<Parts>();
  if (!parts_->connection.Get()) parts_.reset();
}

DesktopProbe::~DesktopProbe() = default;

WindowSystem* DesktopProbe::Windows() {
  return parts_ ? &parts_->windows : nullptr;
}

KeyOnLayout DesktopProbe::KeyCheck() {
  if (!parts_) return {};
  return [this](int virtualKey) {
    // Hot-key codes name the print key 42 (its place in the key-name table), the layout 44.
    constexpr int kTablePrintKey = 42;
    if (virtualKey == kTablePrintKey) virtualKey = vk::kPrintScreen;
    return parts_->keymap.KeycodeOfVk(virtualKey) != 0;
  };
}

}  // namespace fenno
