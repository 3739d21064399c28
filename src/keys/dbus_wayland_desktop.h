#pragma once

// What the running desktop tells about itself: its session clues, its keyboard layout and
// the Caps Lock light. Read once when a run starts.

#include <QDBusConnection>

#include "keys/desktop_session.h"
#include "keys/keyboard_layout_name.h"

namespace fenno {

SessionClues ReadSessionClues(const QDBusConnection& bus);
// XKB_DEFAULT_LAYOUT and XKB_DEFAULT_VARIANT when set, else the desktop's own settings,
// else a US layout.
LayoutName ReadDesktopLayout(DesktopKind desktop);
// True when a keyboard's Caps Lock light is on (the kernel's LED files).
bool CapsLockLightOn();

}  // namespace fenno
