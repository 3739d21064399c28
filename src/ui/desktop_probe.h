#pragma once

// What the setup dialogs ask the desktop: the windows open now (target application) and
// whether the keyboard layout has a key (hot keys). Only on an X11 desktop; elsewhere,
// and in tests on the offscreen platform, there is nothing to ask. No X11 headers here.

#include <functional>
#include <memory>

#include "hotkeys/hot_key_dialogs.h"
#include "keys/window_system.h"

namespace fenno {

class DesktopProbe {
 public:
  DesktopProbe();
  ~DesktopProbe();
  DesktopProbe(const DesktopProbe&) = delete;
  DesktopProbe& operator=(const DesktopProbe&) = delete;

  // nullptr without an X11 display.
  WindowSystem* Windows();
  // Empty (every key counts as present) without an X11 display.
  KeyOnLayout KeyCheck();
  // The virtual key of an X key code (a key event's native scan code) as the hot keys'
  // grab sees it; empty without an X11 display.
  std::function<int(unsigned keycode)> KeycodeToVirtualKey();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace fenno
