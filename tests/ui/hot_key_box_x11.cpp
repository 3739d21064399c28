// The hot-key dialog's key box on a private X server: a key combination pressed through
// XTest is recorded by its key code as the hot keys' grab will see it. Its own main: the
// window needs the xcb platform on that server, not the offscreen one of the other window
// tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>

#include "config/edition.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"
#include "support/wait.h"
#include "ui/desktop_probe.h"
#include "ui/hot_key_dialog.h"

// Xlib's macros break other headers: it comes last.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "support/x11_session.h"
#include "support/x11_widget_main.h"

namespace fenno {
namespace {

testing::X11Session* session = nullptr;

void PressCtrlF2(Display* display) {
  const KeyCode ctrl = XKeysymToKeycode(display, XK_Control_L);
  const KeyCode f2 = XKeysymToKeycode(display, XK_F2);
  for (const auto& [key, down] : {std::pair{ctrl, True}, {f2, True}, {f2, False}, {ctrl, False}})
    XTestFakeKeyEvent(display, key, down, CurrentTime);
  XSync(display, False);
}

TEST(HotKeyBoxOnX11, RecordsAComboPressedOnTheKeyboard) {
  const Edition& edition = ComfennoEdition();
  const StringTable strings(edition.kind, Language::English);
  testing::RecordingPrompt prompt;
  Settings settings = Settings::Defaults(edition, "/tmp");
  settings.HotKeyAction[0] = 1;
  WorkingValues working;
  DesktopProbe desktop;
  HotKeyDialog dialog(edition, settings, working, prompt, strings, desktop.KeyCheck());
  dialog.UseKeycodeMap(desktop.KeycodeToVirtualKey());
  dialog.show();
  auto* key = dialog.findChild<QLineEdit*>(QStringLiteral("HKKey"));
  ASSERT_NE(key, nullptr);
  dialog.activateWindow();
  key->setFocus();
  ASSERT_TRUE(testing::WaitUntil([&] { return key->hasFocus(); }));
  // A press may arrive before the window manager has given the window the keyboard:
  // pressing the same combination again records the same key, so press until it shows.
  ASSERT_TRUE(testing::WaitUntil([&] {
    PressCtrlF2(session->display());
    return key->text() == QStringLiteral("CTRL+F2");
  }));
  dialog.accept();
  EXPECT_EQ(settings.HotKeyCode[0], 2 * 256 + 113);
  EXPECT_TRUE(prompt.messages.empty());
}

}  // namespace
}  // namespace fenno

int main(int argc, char** argv) {
  return fenno::testing::RunWindowTestsOnOwnXServer(argc, argv, &fenno::session);
}
