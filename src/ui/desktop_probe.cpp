#include "ui/desktop_probe.h"

#include <QGuiApplication>

#include "keys/virtual_keys.h"

// Xlib's macros break other headers: its users come last.
#include "keys/x11_connection.h"
#include "keys/x11_keymap.h"
#include "keys/x11_window_system.h"

namespace fenno {
namespace {

// Hot-key codes name the print key 42 (its place in the key-name table), the layout 44.
constexpr int kTablePrintKey = 42;

}  // namespace

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
    if (virtualKey == kTablePrintKey) virtualKey = vk::kPrintScreen;
    return parts_->keymap.KeycodeOfVk(virtualKey) != 0;
  };
}

std::function<int(unsigned keycode)> DesktopProbe::KeycodeToVirtualKey() {
  if (!parts_) return {};
  return [this](unsigned keycode) {
    for (int virtualKey = 1; virtualKey < 256; ++virtualKey) {
      if (keycode == 0 || parts_->keymap.KeycodeOfVk(virtualKey) != keycode) continue;
      return virtualKey == vk::kPrintScreen ? kTablePrintKey : virtualKey;
    }
    return 0;
  };
}

}  // namespace fenno
