// Key macros: parsing them into key codes, and sending them with their delays.

#include "keys/key_macro.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/fake_keys.h"
#include "keys/key_sender.h"
#include "support/fake_clock.h"

namespace fenno {
namespace {

using testing::FakeKeySink;

// The queued codes, separated by spaces.
std::string QueueOf(const KeyMacro& macro) {
  std::string text;
  for (const int code : macro.Queue()) text += (text.empty() ? "" : " ") + std::to_string(code);
  return text;
}

// The queued codes, or the error of a macro that is refused. Shift inside "+" is a
// toggle: +A types a lower-case a.
TEST(ParseKeyMacro, QueuesTheKeysOrRefusesTheWholeText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"abc~", "65 66 67 13"},    {"+(abc)", "16 65 66 67 16"}, {"{left 3}", "37 37 37"},
      {"{LEFT 3 x}", "37 37 37"}, {"{TAB 2.5}", "9 9"},         {"{}}", "16 221 16"},
      {"{{}", "16 219 16"},       {"{+}", "16 187 16"},         {"{~}", "16 192 16"},
      {"{} 2}", "16 221 221 16"}, {"{bksp}{F16}", "8 127"},     {"+A", "16 16 65 16 16"},
      {"+^a", "16 17 65 17 16"},  {"%f", "18 70 18"},           {"a+", "65 16 16"},
      {"(a(b)c)", "65 66 67"},    {")}", "16 48 16 16 221 16"}, {"\xE9", "16 255 16"},
      {"{esc}{ Del}", "error 2"}, {"{F17}", "error 2"},         {"{ }", "error 2"},
      {"ab{ENTER", "error 1"},    {"ab{", "error 1"},           {"+(ab", "error 3"},
      {"{TAB 0}", "error 4"},     {"{TAB x}", "error 4"},       {"{TAB -1}", "error 5"},
      {"{TAB 4097}", "error 5"}};
  FakeKeySink sink;
  KeyMacro macro(sink);
  for (const auto& [text, queued] : cases) {
    const int error = macro.ParseKeyMacro(text);
    EXPECT_EQ(error ? "error " + std::to_string(error) : QueueOf(macro), queued) << text;
  }
}

TEST(ParseKeyMacro, TheQueueAndTheNestingHaveLimits) {
  FakeKeySink sink;
  KeyMacro macro(sink);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(4096, 'a')), kMacroOk);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(4097, 'a')), kMacroQueueFull);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(1500, 'A')), kMacroQueueFull);  // three codes each
  EXPECT_EQ(macro.ParseKeyMacro("a{TAB 4095}"), kMacroOk);
  EXPECT_EQ(macro.ParseKeyMacro("ab{TAB 4095}"), kMacroQueueFull);

  const auto nested = [](size_t depth) {
    return std::string(depth, '(') + "a" + std::string(depth, ')');
  };
  EXPECT_EQ(macro.ParseKeyMacro(nested(kMaxMacroNesting)), kMacroOk);
  EXPECT_EQ(macro.ParseKeyMacro(nested(kMaxMacroNesting + 1)), kMacroTooDeep);
  // Far beyond any stack, and unclosed: refused before either could matter.
  EXPECT_EQ(macro.ParseKeyMacro(std::string(1 << 20, '(')), kMacroTooDeep);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(kMaxMacroNesting + 1, '^') + "a"), kMacroTooDeep);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(100, '^') + "a"), kMacroOk);
}

TEST(ParseKeyMacro, ACharacterWithoutAKeyIsTypedThroughATemporaryKeyWhenTheSinkBindsOne) {
  FakeKeySink sink;
  sink.bindsKeylessCharacters = true;
  KeyMacro macro(sink);
  ASSERT_EQ(macro.ParseKeyMacro("+(\xB5\xE9){\xE9 2}"), kMacroOk);
  EXPECT_EQ(QueueOf(macro), "16 693 745 16 745 745");  // 0x200 | the character
}

// Presses as "+code", releases as "-code".
TEST(NextKeyEvent, PlainKeysArePressedAndReleasedAndModifiersToggle) {
  const auto eventsOf = [](const std::string& text) {
    FakeKeySink sink;
    KeyMacro macro(sink);
    EXPECT_EQ(macro.ParseKeyMacro(text), kMacroOk);
    std::string events;
    while (auto event = macro.NextKeyEvent())
      events += (event->press ? "+" : "-") + std::to_string(event->code) + " ";
    return events;
  };
  EXPECT_EQ(eventsOf("a~"), "+65 -65 +13 -13 ");
  EXPECT_EQ(eventsOf("+A"), "+16 -16 +65 -65 +16 -16 ");
  EXPECT_EQ(eventsOf("^(ab)"), "+17 +65 -65 +66 -66 -17 ");
}

TEST(KeyNameToCode, LooksUpNamesWithoutRegardToCaseAndTypesSingleCharacters) {
  FakeKeySink sink;
  const std::vector<std::pair<std::string, int>> cases = {
      {"enter", 13}, {" PgDn ", 34}, {"f12", 123}, {"(", 0x139}, {"SHIFT", 0}, {"", 0}};
  for (const auto& [name, code] : cases) EXPECT_EQ(KeyNameToCode(name, sink), code) << name;
}

struct SenderTest : ::testing::Test {
  // Milliseconds the sender has waited.
  int64_t Waited() const { return clock.tickMs - 1000; }

  FakeKeySink sink;
  testing::FakeClock clock;
  testing::FakeEventPump pump{clock};
  KeySender sender{sink, clock, pump};
};

// Each piece between delay markers is typed when it parses and dropped when it does not.
TEST_F(SenderTest, TypesEachPieceThatParses) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"abc~", "abc{ENTER}"},
      {"+(abc)", "ABC"},
      {"+A", "a"},
      {"{}}{{}{+}{~}{(}{)}", "}{+~()"},
      {"^{F5}", "^{F5}"},
      {"{LEFT 3}x", "{LEFT}{LEFT}{LEFT}x"},
      {"abc{DELAY 5}def", "abcdef"},
      {"ab{DELAY 5", ""},
      {"(ab{DELAY 5}cd", "cd"},
      {"ab{F17}{delay 1}cd", "cd"},
      {"{DELAY 5}{DELAYED}x", "x"},
      {"{F17}", ""}};
  for (const auto& [macro, typed] : cases) {
    sink.typed.clear();
    sender.SendKeysWithDelays(macro, 0);
    EXPECT_EQ(sink.typed, typed) << macro;
  }
}

TEST_F(SenderTest, ADelayPausesBetweenThePiecesWhileEventsRunClampedTo16Bits) {
  std::vector<std::string> seen;
  pump.onEvents = [&] { seen.push_back(sink.typed); };
  sender.SendKeysWithDelays("abc{delay 500}def", 0);
  EXPECT_EQ(sink.typed, "abcdef");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), "abc");
  EXPECT_EQ(seen.back(), "abc");
  EXPECT_GE(Waited(), 500);
  EXPECT_LT(Waited(), 600);

  clock.tickMs = 1000;
  sender.SendKeysWithDelays("a{DELAY 100000}b", 0);
  EXPECT_GE(Waited(), 32767);
  EXPECT_LT(Waited(), 32767 + 100);

  clock.tickMs = 1000;
  sink.events.clear();
  sender.SendKeysWithDelays("ab", 10);  // the inter-character delay follows every key event
  EXPECT_EQ(sink.events.size(), 4u);
  EXPECT_GE(Waited(), 40);
}

TEST_F(SenderTest, ReleasingAltPausesUntilTheWallClockHasMovedOnTwoSeconds) {
  // The wall clock runs with the tick from 14:03:09.700.
  pump.onEvents = [&] {
    clock.now.second = static_cast<int>(9 + (700 + Waited()) / 1000);
    clock.now.millisecond = static_cast<int>((700 + Waited()) % 1000);
  };
  pump.onEvents();
  sender.SendKeysWithDelays("%f", 0);
  EXPECT_EQ(sink.typed, "%f");
  EXPECT_EQ(clock.now.second, 11);
  EXPECT_EQ(clock.now.millisecond, 0);
}

TEST_F(SenderTest, CapsLockIsOffWhileTypingAndTheKeyboardUntouchedByAPieceThatFails) {
  sink.capsLock = true;
  sender.SendKeysWithDelays("a{DELAY 1}b{DELAY 1}(ab", 0);
  EXPECT_EQ(sink.typed, "ab");
  EXPECT_TRUE(sink.capsLock);
  EXPECT_EQ(sink.calls, (std::vector<std::string>{"save", "restore", "save", "restore"}));
}

TEST_F(SenderTest, AStopRequestedDuringAPauseDropsTheRestAndReleasesHeldModifiers) {
  int pauses = 0;
  sender.SetContinueCheck([&] { return ++pauses < 3; });
  sender.SendKeysWithDelays("+(abcdef){DELAY 10}xyz", 1);
  EXPECT_TRUE(sender.Stopped());
  EXPECT_EQ(sink.typed, "A");
  ASSERT_FALSE(sink.events.empty());
  EXPECT_EQ(sink.events.back(), (KeyEvent{16, false}));
  EXPECT_EQ(sink.calls.back(), "restore");
}

}  // namespace
}  // namespace fenno
