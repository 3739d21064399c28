// The output string editor's rules: what it shows, what it refuses, what OK stores.

#include "engine/output_string_dialogs.h"

#include <gtest/gtest.h>

#include <functional>

#include "config/edition.h"
#include "engine/output_text_ids.h"

namespace fenno {
namespace {

Settings Stored() {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  settings.AckString = std::string("\x06\r", 2);
  settings.TimerString = std::string("P\0", 2);
  settings.TimerInterval = 1000;
  settings.TimerFlags = kTimerOnAtStart | kTimerIssuesBreak;
  settings.ButtonCaption[3] = "Tare";
  settings.ButtonString[3] = std::string("T\0\r", 3);
  return settings;
}

TEST(OutputStrings, LoadShowsTheFlagsAsOneActionAndStoreGivesThemBack) {
  const std::pair<int16_t, TimerAction> flags[] = {
      {kTimerSendsString, TimerAction::TransmitString},
      {kTimerPulsesDtr, TimerAction::ToggleDtr},
      {kTimerIssuesBreak | kTimerOnAtStart, TimerAction::IssueBreak},
      {0, TimerAction::TransmitString},  // a file without an action sends the string
  };
  for (const auto& [stored, action] : flags) {
    Settings settings = Stored();
    settings.TimerFlags = stored;
    const OutputStringValues values = LoadOutputStrings(settings);
    EXPECT_EQ(values.action, action) << stored;
    EXPECT_EQ(values.timerOn, (stored & kTimerOnAtStart) != 0);
    EXPECT_EQ(StoreOutputStrings(values, settings), stored == 0) << stored;
  }
}

struct StoreCase {
  const char* what;
  std::function<void(OutputStringValues&)> edit;
  std::function<bool(const Settings&)> stored;
};

TEST(OutputStrings, StoreKeepsEveryByteAndTellsWhetherAnythingChanged) {
  const StoreCase cases[] = {
      {"nothing", [](OutputStringValues&) {}, [](const Settings&) { return true; }},
      {"ack with NUL", [](OutputStringValues& v) { v.ackString = std::string("\0\x06", 2); },
       [](const Settings& s) { return s.AckString == std::string("\0\x06", 2); }},
      {"button 20", [](OutputStringValues& v) { v.strings[20] = "Z"; },
       [](const Settings& s) { return s.ButtonString[20] == "Z"; }},
      {"caption", [](OutputStringValues& v) { v.captions[3] = "Zero"; },
       [](const Settings& s) { return s.ButtonCaption[3] == "Zero"; }},
      {"interval", [](OutputStringValues& v) { v.interval = "99999999"; },
       [](const Settings& s) { return s.TimerInterval == 99999999; }},
      {"empty interval", [](OutputStringValues& v) { v.interval = ""; },
       [](const Settings& s) { return s.TimerInterval == 0; }},
      {"action", [](OutputStringValues& v) { v.action = TimerAction::ToggleDtr; },
       [](const Settings& s) { return s.TimerFlags == (kTimerOnAtStart | kTimerPulsesDtr); }},
      {"timer off", [](OutputStringValues& v) { v.timerOn = false; },
       [](const Settings& s) { return s.TimerFlags == kTimerIssuesBreak; }},
  };
  for (const StoreCase& c : cases) {
    Settings settings = Stored();
    OutputStringValues values = LoadOutputStrings(settings);
    c.edit(values);
    EXPECT_EQ(StoreOutputStrings(values, settings), std::string(c.what) != "nothing") << c.what;
    EXPECT_TRUE(c.stored(settings)) << c.what;
  }
}

TEST(OutputStrings, CheckRefusesTooLongIntervalsAndCaptionsWithLineBreaks) {
  const auto check = [](std::string interval, int entry, std::string caption) {
    OutputStringValues values = LoadOutputStrings(Stored());
    values.interval = std::move(interval);
    values.captions[entry] = std::move(caption);
    int refusedEntry = 0;
    const DialogCheck answer = CheckOutputStrings(values, &refusedEntry);
    return std::make_pair(answer.field, refusedEntry);
  };
  using Answer = std::pair<std::string, int>;
  EXPECT_EQ(check("99999999", 1, "A"), Answer("", 0));
  EXPECT_EQ(check("100000000", 1, "A"), Answer("Interval", 0));
  EXPECT_EQ(check("99999999999999999999999", 1, "A"), Answer("Interval", 0));
  EXPECT_EQ(check("5", 7, "Two\nLines"), Answer("StringControlCaption", 7));
  OutputStringValues tooLong;
  tooLong.interval = "100000000";
  EXPECT_EQ(CheckOutputStrings(tooLong).message, str::kTimerIntervalTooLarge);
}

}  // namespace
}  // namespace fenno
