// Keystrokes on a Wayland desktop through a fake remote desktop portal on a private bus:
// the portal's calls in their order, consent, the restore token, and the layout's keys.

#include "keys/dbus_wayland_keystrokes.h"

#include <gtest/gtest.h>

#include "keys/wayland_text_ids.h"
#include "support/dbus_fake_portal.h"
#include "support/dbus_session.h"
#include "support/engine_rig.h"

namespace fenno {
namespace {

using testing::FakePortal;
using testing::WaitUntil;
using Calls = std::vector<std::string>;

// Logs what is asked of the desktop's window activation.
class RecordingFocuser : public WindowFocuser {
 public:
  std::optional<FocusedTarget> Focus(const std::string& titlePiece) override {
    log.push_back("focus " + titlePiece);
    return answer;
  }
  void GiveBack(const FocusedTarget& focused) override {
    log.push_back("give back to " + focused.previous);
  }
  FocusedTarget answer;
  Calls log;
};

class WaylandKeystrokesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    bus = testing::DbusSession::Start(&why);
    if (!bus) GTEST_SKIP() << why;
    portal = std::make_unique<FakePortal>(bus->Connect());
    ASSERT_TRUE(portal->Serve());
  }

  std::unique_ptr<WaylandKeystrokes> Keystrokes(const std::string& layout = "us",
                                                std::shared_ptr<WindowFocuser> focuser = {}) {
    return std::make_unique<WaylandKeystrokes>(
        WaylandKeystrokesSetup{bus->Connect(), store, "Comfenno", {layout, ""}, {}, {}, focuser},
        clock, events, prompt, strings);
  }
  // Types one record and waits until the portal has seen `keyCalls` more calls.
  void TypeRecord(WaylandKeystrokes& keys, std::string_view text, const Calls& keyCalls) {
    ASSERT_TRUE(keys.Activate(settings));
    const size_t before = portal->calls.size();
    keys.Type(text, 0);
    keys.Restore();
    ASSERT_TRUE(WaitUntil([&] { return portal->calls.size() >= before + keyCalls.size(); }));
    EXPECT_EQ(Calls(portal->calls.begin() + static_cast<ptrdiff_t>(before), portal->calls.end()),
              keyCalls);
  }
  // Ends a run: its session is closed, and the portal's log starts afresh.
  void EndRun(std::unique_ptr<WaylandKeystrokes>& keys) {
    keys.reset();
    ASSERT_TRUE(
        WaitUntil([&] { return !portal->calls.empty() && portal->calls.back() == "Close"; }));
    portal->calls.clear();
  }
  std::string Token() const {
    return store.Get("Comfenno", kPortalStoreSection, kRestoreTokenKey).value_or("");
  }

  std::unique_ptr<testing::DbusSession> bus;
  std::unique_ptr<FakePortal> portal;
  MemoryUserStore store;
  testing::FakeClock clock;
  testing::FakeEventPump events{clock};
  testing::RecordingPrompt prompt;
  const StringTable& strings = testing::EnglishStrings(ComfennoEdition());
  Settings settings;
};

TEST_F(WaylandKeystrokesTest, ConsentIsAskedOnceAndItsTokenServesTheNextRunOnce) {
  portal->nextRestoreToken = "t1";
  auto keys = Keystrokes();
  TypeRecord(*keys, "aA\r",
             {"key 30 down", "key 30 up", "key 42 down", "key 30 down", "key 30 up", "key 42 up",
              "key 28 down", "key 28 up"});
  TypeRecord(*keys, "b", {"key 48 down", "key 48 up"});
  EXPECT_EQ(Calls(portal->calls.begin(), portal->calls.begin() + 3),
            (Calls{"CreateSession", "SelectDevices types=1 persist=2", "Start"}));
  EXPECT_EQ(Token(), "t1");
  ASSERT_EQ(prompt.messages.size(), 1u);  // where the readings go, said once
  EXPECT_EQ(prompt.messages[0].text, strings.Text(str::kFocusedWindowOnly));

  EndRun(keys);
  portal->nextRestoreToken = "t2";
  keys = Keystrokes();
  TypeRecord(*keys, "1", {"key 2 down", "key 2 up"});
  EXPECT_EQ(Calls(portal->calls.begin(), portal->calls.begin() + 3),
            (Calls{"CreateSession", "SelectDevices types=1 persist=2 token=t1", "Start"}));
  EXPECT_EQ(Token(), "t2");

  // The user withdraws the permission: records fail from then on, told once.
  portal->EndSession();
  ASSERT_TRUE(WaitUntil([&] { return !keys->Activate(settings); }));
  EXPECT_FALSE(keys->Activate(settings));
  EXPECT_EQ(prompt.messages.back().text, strings.Text(str::kKeyboardPermissionEnded));
  EXPECT_EQ(prompt.messages.size(), 3u);  // each run's focus notice, then this
}

// Without the portal nothing is asked at all; declined consent spends the stale token.
TEST_F(WaylandKeystrokesTest, NoPortalOrDeclinedConsentIsToldOnceAndNoRecordIsTyped) {
  store.Set("Comfenno", kPortalStoreSection, kRestoreTokenKey, "stale");
  const auto version = std::exchange(portal->version, 0u);
  portal->startResponse = 1;
  for (const bool declined : {false, true}) {
    if (declined) portal->version = version;
    prompt.messages.clear();
    auto keys = Keystrokes();
    EXPECT_FALSE(keys->Activate(settings));
    EXPECT_FALSE(keys->Activate(settings));
    keys->Type("abc", 0);
    const Calls asked = {"CreateSession", "SelectDevices types=1 persist=2 token=stale", "Start"};
    EXPECT_EQ(portal->calls, declined ? asked : Calls{});
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text,
              strings.Text(declined ? str::kKeyboardConsentDeclined : str::kNoRemoteDesktopPortal));
  }
  EXPECT_EQ(Token(), "");
}

TEST_F(WaylandKeystrokesTest, ShiftAltGrDeadKeysAndCharactersTheLayoutLacks) {
  auto keys = Keystrokes("de");
  // @ is AltGr+Q; é is the dead acute key, then E; è the dead grave key (Shift+acute), then E.
  TypeRecord(*keys, "@\xE9\xE8",
             {"key 100 down", "key 16 down", "key 16 up", "key 100 up", "key 13 down", "key 13 up",
              "key 18 down", "key 18 up", "key 42 down", "key 13 down", "key 13 up", "key 42 up",
              "key 18 down", "key 18 up"});
  EndRun(keys);

  keys = Keystrokes("us");
  TypeRecord(*keys, "\xE9", {"sym 233 down", "sym 233 up"});
  EndRun(keys);

  portal->acceptKeysyms = false;
  prompt.messages.clear();
  keys = Keystrokes("us");
  TypeRecord(*keys, "\xE9x\xE9", {"key 45 down", "key 45 up"});
  ASSERT_EQ(prompt.messages.size(), 2u);  // where readings go, then the character, once
  EXPECT_EQ(prompt.messages[1].text,
            strings.Format(str::kCharacterNotOnLayout, {"us", "\xC3\xA9"}));
}

TEST_F(WaylandKeystrokesTest, WithWindowActivationTheTargetIsFocusedAndTheFocusGivenBack) {
  auto focuser = std::make_shared<RecordingFocuser>();
  focuser->answer = {true, "w1", "w2", false};
  settings.TargetAppTitle = " editor ";
  auto keys = Keystrokes("us", focuser);
  TypeRecord(*keys, "a", {"key 30 down", "key 30 up"});
  EXPECT_EQ(focuser->log, (Calls{"focus EDITOR", "give back to w2"}));
  EXPECT_TRUE(prompt.messages.empty());  // the focus notice is for desktops without activation

  // The target is missing and its program cannot start: the record is not typed.
  focuser->answer.found = false;
  settings.TargetAppCommand = "/nonexistent/target-program";
  EXPECT_FALSE(keys->Activate(settings));
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_NE(prompt.messages[0].text.find("/nonexistent/target-program"), std::string::npos);
}

}  // namespace
}  // namespace fenno
