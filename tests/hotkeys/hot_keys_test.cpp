// Hot-key matching and actions on an engine with a fake device and a fake hook.

#include "hotkeys/hot_keys.h"

#include <gtest/gtest.h>

#include "support/engine_rig.h"

namespace fenno {
namespace {

using testing::EngineRig;
using Kind = HotKeyActionKind;
using Operations = std::vector<std::string>;

constexpr int kF2 = 113;
constexpr int kShiftF2 = 1 * 256 + kF2;
constexpr int kCtrlF2 = 2 * 256 + kF2;  // 625

// A hook whose key events come from the test. Events arrive only for watched keys (with or
// without Shift), as from the real hook.
class FakeHotKeyHook : public HotKeyHook {
 public:
  void Watch(std::span<const int> codes, Handler handler) override {
    watched.assign(codes.begin(), codes.end());
    handler_ = std::move(handler);
  }
  void Unwatch() override {
    watched.clear();
    handler_ = nullptr;
    ++unwatches;
  }
  // The key of `code` with its modifiers; true when the handler swallows it.
  bool Key(int code, KeyTransition transition = KeyTransition::Press) {
    return Send({code & 255, transition, (code & (kHotKeyShift * 256)) != 0,
                 (code >> 8) & (kHookCtrl | kHookAlt)});
  }
  bool Send(const HotKeyEvent& event) { return handler_ && handler_(event); }

  std::vector<int> watched;
  int unwatches = 0;

 private:
  Handler handler_;
};

class HotKeysTest : public ::testing::Test, public EngineRig {
 protected:
  void Entry(int entry, int code, Kind action, std::string text = {}) {
    settings.HotKeyCode[entry] = static_cast<int16_t>(code);
    settings.HotKeyAction[entry] = static_cast<int16_t>(action);
    settings.HotKeyString[entry] = std::move(text);
  }
  void Start(ActivationMode mode = ActivationMode::Normal) {
    hotKeys.reset();
    EngineRig::Start(mode);
    hotKeys = std::make_unique<HotKeys>(*program, engine(), hook);
    hotKeys->Start();
    port.operations.clear();
  }
  const std::string& Queued() { return engine().QueuedOutput(); }

  FakeHotKeyHook hook;
  std::unique_ptr<HotKeys> hotKeys;
};

TEST_F(HotKeysTest, AHeldKeyIsSwallowedThroughoutAndActsOncePerPress) {
  Entry(0, kCtrlF2, Kind::TransmitString, "P\r");
  Start();
  for (int press = 0; press < 2; ++press)
    for (auto transition : {KeyTransition::Press, KeyTransition::Repeat, KeyTransition::Release})
      EXPECT_TRUE(hook.Key(kCtrlF2, transition));
  EXPECT_EQ(Queued(), "P\rP\r");
}

// Shift counts only as held on the keyboard, not in the event's own modifier bits. Every
// entry with the key acts, in entry order; one without an action still swallows its key,
// and no key at all matches none of the entries without a key.
TEST_F(HotKeysTest, ShiftFromTheKeyboardTellsKeysApartAndEveryEntryWithTheKeyActs) {
  Entry(0, kCtrlF2, Kind::NoAction);
  Entry(1, kShiftF2, Kind::TransmitString, "shift");
  Entry(3, kF2, Kind::RaiseDtr);
  Entry(7, kF2, Kind::RaiseRts);
  Entry(9, kF2, Kind::TransmitString, "A");
  Entry(12, kF2, Kind::TransmitString, "B");
  Start();
  const struct {
    int key;
    bool shiftDown;
    int modifierState;
    bool swallowed;
    std::string queued;
  } cases[] = {
      {kF2, false, 0, true, "AB"},       {kF2, true, 0, true, "shift"},
      {kF2, false, kHookCtrl, true, ""}, {kF2, true, kHookCtrl, false, ""},
      {kF2, false, 1, true, "AB"},       {kF2, false, kHookAlt, false, ""},
      {0, false, 0, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.key << " " << c.shiftDown << " " << c.modifierState);
    port.operations.clear();
    EXPECT_EQ(hook.Send({c.key, KeyTransition::Press, c.shiftDown, c.modifierState}), c.swallowed);
    EXPECT_EQ(Queued(), c.queued);
    EXPECT_EQ(port.operations, (c.queued == "AB" ? Operations{"dtr on", "rts on"} : Operations{}));
    Tick();
  }
}

TEST_F(HotKeysTest, LineActionsAreSkippedInVirtualModeAndTheOthersStillWork) {
  const Kind lineActions[] = {Kind::IssueBreak, Kind::PulseDtr, Kind::RaiseDtr,
                              Kind::LowerDtr,   Kind::RaiseRts, Kind::LowerRts};
  for (int i = 0; i < 6; ++i) Entry(i, kF2, lineActions[i]);
  Entry(6, kF2, Kind::EnableTimer);
  Entry(7, kF2, Kind::TransmitString, "T");
  settings.TimerInterval = 1000;
  Start(ActivationMode::Virtual);
  EXPECT_TRUE(hook.Key(kF2));
  EXPECT_TRUE(port.operations.empty());
  EXPECT_TRUE(engine().TimedOutputRunning());
  EXPECT_EQ(Queued(), "T");

  // The same table in normal mode drives the lines.
  Start(ActivationMode::Normal);
  EXPECT_TRUE(hook.Key(kF2));
  EXPECT_EQ(port.operations,
            (Operations{"break on", "dtr pulse", "dtr on", "dtr off", "rts on", "rts off"}));
}

TEST_F(HotKeysTest, RunStateActionsOnlyChangeWhatNeedsChanging) {
  Entry(0, 'S', Kind::Suspend);
  Entry(1, 'E', Kind::Enable);
  Entry(2, 'O', Kind::EnableForOneRecord);
  Entry(3, 'T', Kind::EnableTimer);
  Entry(4, 'D', Kind::DisableTimer);
  settings.TimerInterval = 500;
  Start();
  const struct {
    int key;
    bool suspended, timerRunning;
  } steps[] = {{'O', false, false}, {'E', false, false}, {'S', true, false},  {'S', true, false},
               {'O', false, false}, {'S', true, false},  {'E', false, false}, {'T', false, true},
               {'T', false, true},  {'D', false, false}, {'D', false, false}};
  for (const auto& step : steps) {
    hook.Key(step.key);
    EXPECT_EQ(engine().Suspended(), step.suspended) << static_cast<char>(step.key);
    EXPECT_EQ(engine().TimedOutputRunning(), step.timerRunning) << static_cast<char>(step.key);
  }
}

TEST_F(HotKeysTest, TheTcpProgramMapsItsOwnActionNumbers) {
  // Stored 2 is Enable Timer there, 5 Suspend, 1 Transmit String; 7 is the last.
  program = &NetfennoEdition();
  settings = Settings::Defaults(NetfennoEdition(), "/tmp");
  settings.TimerInterval = 500;
  for (const auto& [entry, stored] : {std::pair{0, 2}, {1, 5}, {2, 1}}) {
    settings.HotKeyCode[entry] = kF2;
    settings.HotKeyAction[entry] = static_cast<int16_t>(stored);
  }
  settings.HotKeyString[2] = "net";
  Start();
  hook.Key(kF2);
  EXPECT_TRUE(engine().TimedOutputRunning());
  EXPECT_TRUE(engine().Suspended());
  EXPECT_EQ(Queued(), "net");
  EXPECT_EQ(EffectiveHotKeyAction(NetfennoEdition(), 7, ActivationMode::Normal),
            Kind::EnableForOneRecord);
  EXPECT_EQ(EffectiveHotKeyAction(NetfennoEdition(), 8, ActivationMode::Normal), Kind::NoAction);
}

TEST_F(HotKeysTest, WatchesEachConfiguredKeyOnceAndLetsGoWhenStopped) {
  Entry(0, kCtrlF2, Kind::TransmitString, "a");
  Entry(1, 2 * 256, Kind::TransmitString, "no key");  // modifiers without a key
  Entry(2, kF2, Kind::Reset);
  Entry(3, kCtrlF2, Kind::Suspend);
  Start();
  EXPECT_EQ(hook.watched, (std::vector<int>{kCtrlF2, kF2}));
  hotKeys->Stop();
  EXPECT_TRUE(hook.watched.empty());
  EXPECT_FALSE(hook.Key(kCtrlF2));
  hotKeys.reset();
  EXPECT_EQ(hook.unwatches, 1);
}

}  // namespace
}  // namespace fenno
