// The desktop clipboard on a private X server: the link format and the plain text that
// Copy puts there, as another X program reads them, and Paste reading the link back.

#include "dde/qt_clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "dde/fake_live_data.h"
#include "dde/link_menu.h"
#include "support/wait.h"
#include "support/x11_session.h"
// Xlib after the project's headers: it defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace fenno {
namespace {

using testing::WaitUntil;
using testing::X11Session;

std::unique_ptr<X11Session> xServer;
std::unique_ptr<QGuiApplication> application;

// What another X client gets when it asks the clipboard's owner for `target`.
std::optional<std::string> ReadClipboardAs(Display* display, const char* target) {
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  const Atom property = XInternAtom(display, "FENNO_PROBE", False);
  XConvertSelection(display, clipboard, XInternAtom(display, target, False), property, window,
                    CurrentTime);
  XFlush(display);
  XEvent event{};
  const bool answered = WaitUntil(
      [&] { return XCheckTypedWindowEvent(display, window, SelectionNotify, &event) == True; },
      10000);
  std::optional<std::string> bytes;
  if (answered && event.xselection.property != 0) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1 << 20, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
      bytes = std::string(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
  }
  XDestroyWindow(display, window);
  return bytes;
}

class QtClipboardTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string why;
    xServer = X11Session::Start({.windowManager = false}, &why);
    if (!xServer) return;
    ::setenv("DISPLAY", xServer->DisplayName().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    static int argc = 1;
    static char name[] = "fenno-clipboard-test";
    static char* argv[] = {name, nullptr};
    application = std::make_unique<QGuiApplication>(argc, argv);
  }
  static void TearDownTestSuite() {
    application.reset();
    xServer.reset();
  }

  void SetUp() override {
    if (!application) GTEST_SKIP() << "no X server for the clipboard";
    clipboard = MakeDesktopClipboard();
    ASSERT_NE(clipboard, nullptr);
    menu = std::make_unique<LinkMenu>(settings, clipboard.get(), &links,
                                      LinkMenu::Requests{[this] { ++commandRequests; }, {}},
                                      "Comfenno", "COM1");
  }

  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  testing::FakeLinks links;
  std::unique_ptr<Clipboard> clipboard;
  std::unique_ptr<LinkMenu> menu;
  int commandRequests = 0;
};

TEST_F(QtClipboardTest, CopyPutsTheLinkFormatAndThePlainTextForOtherPrograms) {
  ASSERT_TRUE(menu->CopyItem("Field(1)", "12.5\xb0"));
  EXPECT_EQ(ReadClipboardAs(xServer->display(), kLinkMimeType), "Comfenno|COM1!Field(1)");
  EXPECT_EQ(ReadClipboardAs(xServer->display(), "UTF8_STRING"), "12.5\xc2\xb0");
}

// Plain text alone is no link: both paste items stay disabled until Copy puts one.
TEST_F(QtClipboardTest, PasteReadsTheLinkBack) {
  QGuiApplication::clipboard()->setText(QStringLiteral("Comfenno|COM1!Field(1)"));
  EXPECT_FALSE(menu->State().pasteCommand || menu->State().pasteBuffer);
  EXPECT_FALSE(menu->PasteCommandLink());
  ASSERT_TRUE(menu->CopyItem("Field(2)", "7"));
  EXPECT_TRUE(menu->State().pasteCommand && menu->State().pasteBuffer);
  ASSERT_TRUE(menu->PasteCommandLink());
  EXPECT_EQ(
      settings.CommandLinkApp + "|" + settings.CommandLinkTopic + "!" + settings.CommandLinkItem,
      "Comfenno|COM1!Field(2)");
  EXPECT_EQ(commandRequests, 1);
}

}  // namespace
}  // namespace fenno
