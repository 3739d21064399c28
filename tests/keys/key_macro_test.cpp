#include "keys/key_macro.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/fake_keys.h"

namespace fenno {
namespace {

using testing::FakeKeySink;

struct ParseCase {
  std::string macro;
  int error;
  std::vector<int> codes;  // the queue when error is 0
  friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.macro; }
};

std::vector<int> QueueOf(const KeyMacro& macro) {
  return {macro.Queue().begin(), macro.Queue().end()};
}

class ParseKeyMacroTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseKeyMacroTest, QueuesTheKeysOrFails) {
  FakeKeySink sink;
  KeyMacro macro(sink);
  const ParseCase& c = GetParam();
  EXPECT_EQ(macro.ParseKeyMacro(c.macro), c.error) << c.macro;
  if (c.error == kMacroOk) {
    EXPECT_EQ(QueueOf(macro), c.codes) << c.macro;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Macros, ParseKeyMacroTest,
    ::testing::Values(
        ParseCase{"abc~", 0, {65, 66, 67, 13}}, ParseCase{"+(abc)", 0, {16, 65, 66, 67, 16}},
        ParseCase{"{LEFT 3}", 0, {37, 37, 37}}, ParseCase{"{left}", 0, {37}},
        ParseCase{"{LEFT 3 x}", 0, {37, 37, 37}}, ParseCase{"{LEFT   2}", 0, {37, 37}},
        ParseCase{"{TAB 2.5}", 0, {9, 9}}, ParseCase{"{}}", 0, {16, 221, 16}},
        ParseCase{"{{}", 0, {16, 219, 16}}, ParseCase{"{+}", 0, {16, 187, 16}},
        ParseCase{"{~}", 0, {16, 192, 16}}, ParseCase{"{} 2}", 0, {16, 221, 221, 16}},
        ParseCase{"{esc}{ Del}", 2, {}}, ParseCase{"{bksp}{F16}", 0, {8, 127}},
        // Shift inside "+" is a toggle: +A types a lower-case a.
        ParseCase{"+A", 0, {16, 16, 65, 16, 16}}, ParseCase{"+^a", 0, {16, 17, 65, 17, 16}},
        ParseCase{"%f", 0, {18, 70, 18}}, ParseCase{"a+", 0, {65, 16, 16}},
        ParseCase{"(a(b)c)", 0, {65, 66, 67}}, ParseCase{")}", 0, {16, 48, 16, 16, 221, 16}},
        ParseCase{"\xE9", 0, {16, 255, 16}}, ParseCase{"{F17}", 2, {}},
        ParseCase{"{SCROLLLOCK}", 2, {}}, ParseCase{"{ }", 2, {}}, ParseCase{"ab{ENTER", 1, {}},
        ParseCase{"{LEFT 3", 1, {}}, ParseCase{"ab{", 1, {}}, ParseCase{"(ab", 3, {}},
        ParseCase{"+(ab", 3, {}}, ParseCase{"{TAB 0}", 4, {}}, ParseCase{"{TAB x}", 4, {}},
        ParseCase{"{TAB -1}", 5, {}}, ParseCase{"{TAB 4097}", 5, {}},
        ParseCase{"{TAB 99999}", 5, {}}));

TEST(ParseKeyMacro, TheQueueHoldsAtMost4096Codes) {
  FakeKeySink sink;
  KeyMacro macro(sink);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(4096, 'a')), kMacroOk);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(4097, 'a')), kMacroQueueFull);
  EXPECT_EQ(macro.ParseKeyMacro(std::string(1500, 'A')), kMacroQueueFull);  // three codes each
  EXPECT_EQ(macro.ParseKeyMacro("a{TAB 4095}"), kMacroOk);
  EXPECT_EQ(macro.ParseKeyMacro("ab{TAB 4095}"), kMacroQueueFull);
}

TEST(ParseKeyMacro, GroupsAndModifiersNestAtMost256Deep) {
  FakeKeySink sink;
  KeyMacro macro(sink);
  const auto nested = [](size_t depth) {
    return std::string(depth, '(') + "a" + std::string(depth, ')');
  };
  EXPECT_EQ(macro.ParseKeyMacro(nested(kMaxMacroNesting)), kMacroOk);
  EXPECT_EQ(QueueOf(macro), std::vector<int>{65});
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
  EXPECT_EQ(QueueOf(macro), (std::vector<int>{16, 0x2B5, 0x2E9, 16, 0x2E9, 0x2E9}));
}

std::vector<KeyEvent> EventsOf(const std::string& text) {
  FakeKeySink sink;
  KeyMacro macro(sink);
  EXPECT_EQ(macro.ParseKeyMacro(text), kMacroOk);
  std::vector<KeyEvent> events;
  while (auto event = macro.NextKeyEvent()) events.push_back(*event);
  return events;
}

TEST(NextKeyEvent, PlainKeysArePressedAndReleasedAndModifiersToggle) {
  const std::vector<KeyEvent> abc = EventsOf("abc~");
  ASSERT_EQ(abc.size(), 8u);
  EXPECT_EQ(abc[0], (KeyEvent{65, true}));
  EXPECT_EQ(abc[1], (KeyEvent{65, false}));
  EXPECT_EQ(abc[7], (KeyEvent{13, false}));

  EXPECT_EQ(EventsOf("+A"),
            (std::vector<KeyEvent>{
                {16, true}, {16, false}, {65, true}, {65, false}, {16, true}, {16, false}}));
  EXPECT_EQ(EventsOf("^(ab)"),
            (std::vector<KeyEvent>{
                {17, true}, {65, true}, {65, false}, {66, true}, {66, false}, {17, false}}));
}

TEST(KeyNameToCode, LooksUpNamesWithoutRegardToCaseAndTypesSingleCharacters) {
  FakeKeySink sink;
  EXPECT_EQ(KeyNameToCode("enter", sink), 13);
  EXPECT_EQ(KeyNameToCode(" PgDn ", sink), 34);
  EXPECT_EQ(KeyNameToCode("ESC", sink), 27);
  EXPECT_EQ(KeyNameToCode("f12", sink), 123);
  EXPECT_EQ(KeyNameToCode("(", sink), 0x139);
  EXPECT_EQ(KeyNameToCode("SHIFT", sink), 0);
  EXPECT_EQ(KeyNameToCode("", sink), 0);
}

}  // namespace
}  // namespace fenno
