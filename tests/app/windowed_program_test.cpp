// The windowed program as a user drives it, from the keyboard only, on a private X server
// with a window manager and a private session bus: open a sample configuration, run it in
// virtual mode, close the engine, leave the program.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "support/dbus_session.h"
#include "support/test_files.h"
#include "support/wait.h"
#include "support/x11_test_environment.h"

// Xlib comes after the headers its macros would break.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace fenno {
namespace {

using testing::X11Session;

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new testing::X11TestEnvironment);

class WindowedProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = testing::X11TestEnvironment::session.get();
    if (!session_) GTEST_SKIP() << "no X server for the test: " << testing::X11TestEnvironment::why;
    std::string why;
    bus_ = testing::DbusSession::Start(&why);
    if (!bus_) GTEST_SKIP() << "no session bus for the test: " << why;
    display_ = session_->display();
    // The program inherits this environment (its display is set by the session).
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus_->Address().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
    ::setenv("LANGUAGE", "en", 1);
  }

  // A key with or without a modifier held, as the user presses it.
  void Press(KeySym key, KeySym modifier = NoSymbol) {
    const KeyCode held = modifier == NoSymbol ? 0 : XKeysymToKeycode(display_, modifier);
    if (held) XTestFakeKeyEvent(display_, held, True, CurrentTime);
    const KeyCode code = XKeysymToKeycode(display_, key);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    if (held) XTestFakeKeyEvent(display_, held, False, CurrentTime);
    XSync(display_, False);
  }
  // Printable ASCII, with Shift where the layout puts the character on its shifted level.
  void Type(const std::string& text) {
    for (const char c : text) {
      const KeySym symbol = static_cast<unsigned char>(c);
      const KeyCode code = XKeysymToKeycode(display_, symbol);
      const bool shifted = XkbKeycodeToKeysym(display_, code, 0, 0) != symbol;
      Press(symbol, shifted ? XK_Shift_L : NoSymbol);
    }
  }
  // Brings the window to the front and waits until keys go to it.
  void Focus(Window window) {
    ASSERT_NE(window, None);
    session_->Activate(window);
    ASSERT_TRUE(testing::WaitUntil([&] { return session_->ActiveWindow() == window; }));
  }
  // Alt and a menu's mnemonic, then the item's, once the menu is open.
  void ChooseMenuItem(KeySym menu, KeySym item) {
    Press(menu, XK_Alt_L);
    ASSERT_TRUE(testing::WaitUntil([&] { return PopupOpen(); })) << "the menu did not open";
    Press(item);
  }
  // Return in a file dialog while its list of completions is open only completes the name
  // and closes the list, and the list may open late, once the folder has been read. A user
  // presses Return again; so does the test, while the dialog still takes the keys.
  void ConfirmFileName(Window dialog) {
    for (int tries = 0; tries < 10 && Shown(dialog); ++tries) {
      if (session_->ActiveWindow() == dialog) Press(XK_Return);
      testing::WaitUntil([&] { return !Shown(dialog); }, 2000);
    }
    ASSERT_FALSE(Shown(dialog)) << "the file dialog did not take the name";
  }
  bool Shown(Window window) {
    const auto windows = session_->ClientWindows();
    return std::find(windows.begin(), windows.end(), window) != windows.end();
  }
  // A menu or a list of completions is an override-redirect window of the program mapped on
  // the root; the window manager keeps one of its own there too, with an empty class.
  bool PopupOpen() {
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    bool open = false;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
      for (unsigned int i = 0; i < count && !open; ++i) {
        XWindowAttributes attributes;
        XClassHint hint{};
        open = XGetWindowAttributes(display_, children[i], &attributes) &&
               attributes.override_redirect && attributes.map_state == IsViewable &&
               XGetClassHint(display_, children[i], &hint) && hint.res_class && *hint.res_class;
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
      }
      XFree(children);
    }
    return open;
  }
  // The window titled with `titlePart`, or None.
  Window Find(const std::string& titlePart) {
    for (Window window : session_->ClientWindows())
      if (session_->Title(window).find(titlePart) != std::string::npos) return window;
    return None;
  }
  void Close(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[1] = 2;  // a pager or a test, not an application
    XSendEvent(display_, DefaultRootWindow(display_), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(display_, False);
  }

  X11Session* session_ = nullptr;
  Display* display_ = nullptr;
  std::unique_ptr<testing::DbusSession> bus_;
  testing::ScratchFolder folder_;
};

TEST_F(WindowedProgramTest, OpenASampleRunItVirtuallyAndComeBack) {
  const std::string sample = folder_.File("balance-log.DE3");
  std::filesystem::copy_file(
      std::string(std::getenv("FENNO_SOURCE_DIR")) + "/examples/balance-log.DE3", sample);
  // Started in the sample's folder, the file dialog opens there and the name alone does.
  ASSERT_EQ(::chdir(folder_.path().c_str()), 0);
  const pid_t program = session_->Launch({std::getenv("COMFENNO_BIN")});
  Focus(session_->WaitForWindow("Comfenno Pro Setup (Untitled)"));

  ChooseMenuItem(XK_f, XK_o);  // File > Open
  const Window openDialog = session_->WaitForWindow("Open Comfenno Configuration...");
  Focus(openDialog);
  Type("balance-log.DE3");
  ConfirmFileName(openDialog);
  Focus(session_->WaitForWindow("Comfenno Pro Setup(balance-log.DE3)"));
  ChooseMenuItem(XK_a, XK_v);  // Activate > Virtual Instrument Mode
  // The engine serves its items on the bus while the setup window is away.
  ASSERT_TRUE(testing::WaitUntil([&] { return bus_->HasOwner("dde.Comfenno.COM1"); }));
  EXPECT_EQ(Find("Comfenno Pro Setup"), None);

  ASSERT_TRUE(testing::WaitUntil([&] { return session_->ActiveWindow() != None; }));
  // The engine window, by its caption once it has one.
  Close(Find("Comfenno - COM1") ? Find("Comfenno - COM1") : session_->ActiveWindow());
  Focus(session_->WaitForWindow("Comfenno Pro Setup(balance-log.DE3)"));
  EXPECT_FALSE(bus_->HasOwner("dde.Comfenno.COM1"));

  ChooseMenuItem(XK_f, XK_x);  // File > Exit
  EXPECT_TRUE(testing::WaitUntil([&] { return !session_->Running(program); }));
}

}  // namespace
}  // namespace fenno
