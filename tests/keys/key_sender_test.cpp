#include "keys/key_sender.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/fake_keys.h"

namespace fenno {
namespace {

using testing::FakeKeySink;
using testing::SteppingClock;
using testing::SteppingPump;

struct SenderFixture : ::testing::Test {
  FakeKeySink sink;
  SteppingClock clock;
  SteppingPump pump{clock};
  KeySender sender{sink, clock, pump};
};

struct TypedCase {
  std::string macro;
  std::string typed;
  friend void PrintTo(const TypedCase& c, std::ostream* os) { *os << c.macro; }
};

class SendKeysWithDelaysTest : public SenderFixture,
                               public ::testing::WithParamInterface<TypedCase> {};

TEST_P(SendKeysWithDelaysTest, TypesEachPieceThatParses) {
  sender.SendKeysWithDelays(GetParam().macro, 0);
  EXPECT_EQ(sink.typed, GetParam().typed) << GetParam().macro;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SendKeysWithDelaysTest,
    ::testing::Values(TypedCase{"abc~", "abc{ENTER}"}, TypedCase{"+(abc)", "ABC"},
                      TypedCase{"+A", "a"}, TypedCase{"12.5{ENTER}", "12.5{ENTER}"},
                      TypedCase{"{}}{{}{+}{~}{(}{)}", "}{+~()"}, TypedCase{"^{F5}", "^{F5}"},
                      TypedCase{"{LEFT 3}x", "{LEFT}{LEFT}{LEFT}x"},
                      TypedCase{"abc{DELAY 5}def", "abcdef"}, TypedCase{"ab{DELAY 5", ""},
                      TypedCase{"(ab{DELAY 5}cd", "cd"}, TypedCase{"ab{F17}{delay 1}cd", "cd"},
                      TypedCase{"{DELAY 5}{DELAYED}x", "x"}, TypedCase{"{F17}", ""}));

TEST_F(SenderFixture, ADelayMarkerPausesBetweenThePiecesWhileEventsRun) {
  std::vector<std::pair<std::string, int64_t>> seen;
  pump.onEvents.push_back([&] { seen.emplace_back(sink.typed, clock.tick); });
  sender.SendKeysWithDelays("abc{delay 500}def", 0);
  EXPECT_EQ(sink.typed, "abcdef");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().first, "abc");
  EXPECT_EQ(seen.back().first, "abc");
  EXPECT_GE(clock.tick, 500);
  EXPECT_LT(clock.tick, 600);
}

TEST_F(SenderFixture, PausesAfterEveryKeyEventByTheInterCharacterDelay) {
  sender.SendKeysWithDelays("ab", 10);
  EXPECT_EQ(sink.events.size(), 4u);
  EXPECT_GE(clock.tick, 40);
}

TEST_F(SenderFixture, ReleasingAltPausesUntilTheWallClockHasMovedOnTwoSeconds) {
  clock.wallOffsetMs = 700;  // 10:00:00.700
  sender.SendKeysWithDelays("%f", 0);
  EXPECT_EQ(sink.typed, "%f");
  EXPECT_EQ(clock.Now().second, 2);
  EXPECT_EQ(clock.Now().millisecond, 0);
}

TEST_F(SenderFixture, CapsLockIsOffWhileTypingAndOnAgainAfterwards) {
  sink.capsLock = true;
  sender.SendKeysWithDelays("a{DELAY 1}b", 0);
  EXPECT_EQ(sink.typed, "ab");
  EXPECT_TRUE(sink.capsLock);
  EXPECT_EQ(sink.calls, (std::vector<std::string>{"save", "restore", "save", "restore"}));
}

TEST_F(SenderFixture, APieceThatDoesNotParseLeavesTheKeyboardAlone) {
  sender.SendKeysWithDelays("(ab", 0);
  EXPECT_TRUE(sink.calls.empty());
  EXPECT_TRUE(sink.events.empty());
}

TEST_F(SenderFixture, AStopRequestedDuringAPauseDropsTheRestAndReleasesHeldModifiers) {
  int pauses = 0;
  sender.SetContinueCheck([&] { return ++pauses < 3; });
  sender.SendKeysWithDelays("+(abcdef){DELAY 10}xyz", 1);
  EXPECT_TRUE(sender.Stopped());
  EXPECT_EQ(sink.typed, "A");
  ASSERT_FALSE(sink.events.empty());
  EXPECT_EQ(sink.events.back(), (KeyEvent{16, false}));
  EXPECT_EQ(sink.calls.back(), "restore");
}

TEST_F(SenderFixture, ADelayBeyondTheSixteenBitRangeIsClamped) {
  sender.SendKeysWithDelays("a{DELAY 100000}b", 0);
  EXPECT_EQ(sink.typed, "ab");
  EXPECT_GE(clock.tick, 32767);
  EXPECT_LT(clock.tick, 32767 + 100);
}

}  // namespace
}  // namespace fenno
