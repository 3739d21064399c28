#pragma once

#include <functional>

#include "keys/dbus_remote_desktop.h"
#include "keys/key_sink.h"
#include "keys/xkb_keymap.h"

namespace fenno {

// Types through the remote desktop portal into whatever window has the focus, with the keys
// of the session's layout. Characters on an AltGr level or behind a dead key are typed as
// those keys; a character the layout has no key for goes as a key symbol where the portal
// takes symbols and is otherwise left out and reported.
class PortalKeySink : public KeySink {
 public:
  using CharacterReport = std::function<void(unsigned char character)>;
  PortalKeySink(const XkbKeymap& keymap, RemoteDesktopPortal& portal,
                CharacterReport reportUntypeable, std::function<bool()> capsLockOn)
      : keymap_(keymap),
        portal_(portal),
        reportUntypeable_(std::move(reportUntypeable)),
        capsLockOn_(std::move(capsLockOn)) {}

  int CharToKey(unsigned char character) override { return keymap_.CharToKey(character); }
  void SendKey(int code, bool press) override;
  // The portal cannot tell which keys the user holds; Caps Lock is read from its light.
  void SaveKeyboardState() override;
  void RestoreKeyboardState() override;

 private:
  void TypeCharacter(unsigned char character);
  void Tap(unsigned keycode);

  const XkbKeymap& keymap_;
  RemoteDesktopPortal& portal_;
  CharacterReport reportUntypeable_;
  std::function<bool()> capsLockOn_;
  bool capsLockWasOn_ = false;
};

}  // namespace fenno
