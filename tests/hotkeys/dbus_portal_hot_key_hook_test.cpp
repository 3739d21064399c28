// Global hot keys through a fake global shortcuts portal on a private bus.

#include "hotkeys/dbus_portal_hot_key_hook.h"

#include <gtest/gtest.h>

#include "support/dbus_fake_portal.h"
#include "support/dbus_session.h"

namespace fenno {
namespace {

using testing::WaitUntil;
using Calls = std::vector<std::string>;

class PortalHotKeyHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    bus = testing::DbusSession::Start(&why);
    if (!bus) GTEST_SKIP() << why;
    portal = std::make_unique<testing::FakePortal>(bus->Connect());
    ASSERT_TRUE(portal->Serve());
    hook = std::make_unique<PortalHotKeyHook>(bus->Connect(), [this] { ++missingReports; });
  }
  void Watch(std::vector<int> codes) {
    hook->Watch(codes, [this](const HotKeyEvent& event) {
      events.push_back(
          std::string(event.transition == KeyTransition::Press ? "press " : "release ") +
          std::to_string(event.virtualKey) + (event.shiftDown ? " shift" : "") +
          " mods=" + std::to_string(event.modifierState));
      return true;
    });
  }

  std::unique_ptr<testing::DbusSession> bus;
  std::unique_ptr<testing::FakePortal> portal;
  std::unique_ptr<PortalHotKeyHook> hook;
  std::vector<std::string> events;
  int missingReports = 0;
};

TEST_F(PortalHotKeyHookTest, WatchedKeysAreBoundAndTheirActivationsArriveAsPressAndRelease) {
  Watch({0x271, 0x141});  // CTRL+F2, SHIFT+A
  EXPECT_EQ(portal->calls, (Calls{"CreateShortcutsSession",
                                  "BindShortcuts hotkey-625=CTRL+F2 hotkey-321=SHIFT+a"}));
  portal->Shortcut("hotkey-625", true);
  portal->Shortcut("hotkey-625", false);
  portal->Shortcut("hotkey-321", true);
  ASSERT_TRUE(WaitUntil([&] { return events.size() == 3; }));
  EXPECT_EQ(events, (Calls{"press 113 mods=2", "release 113 mods=2", "press 65 shift mods=0"}));

  hook->Unwatch();
  ASSERT_TRUE(WaitUntil([&] { return portal->calls.back() == "CloseShortcuts"; }));
  EXPECT_EQ(missingReports, 0);
}

TEST_F(PortalHotKeyHookTest, WithoutThePortalTheUserIsToldOnce) {
  portal->shortcutsVersion = 0;
  Watch({0x271});
  Watch({0x271});
  EXPECT_TRUE(portal->calls.empty());
  EXPECT_EQ(missingReports, 1);
}

}  // namespace
}  // namespace fenno
