// The rules behind the engine window and its dialogs: where the window opens, its tray tip
// and states, the output string editor, and the field editor's preview.

#include <gtest/gtest.h>

#include <vector>

#include "engine/engine_window_rules.h"
#include "engine/output_string_dialogs.h"
#include "engine/record_preview.h"
#include "support/engine_rig.h"
#include "support/test_files.h"

namespace fenno {
namespace {

const std::vector<ScreenRect> kTwoScreens = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};

TEST(EnginePlace, OpensWhereItClosedIfThatIsOnAScreen) {
  const struct {
    const char* name;
    std::optional<std::string> left, top;
    std::vector<ScreenRect> screens;
    std::optional<ScreenPoint> expected;
  } cases[] = {
      {"stored", "200", "150", kTwoScreens, ScreenPoint{200, 150}},
      {"on the screen left of the first", "-600", "40", kTwoScreens, ScreenPoint{-600, 40}},
      {"nothing stored: the desktop places it", {}, {}, kTwoScreens, {}},
      {"one value missing", "200", {}, kTwoScreens, {}},
      {"not a number", "abc", "150", kTwoScreens, {}},
      {"off every screen (a monitor since removed)", "30000", "15000", kTwoScreens,
       ScreenPoint{0, 0}},
      {"no screens known", "30000", "15000", {}, ScreenPoint{30000, 15000}}};
  for (const auto& c : cases) {
    MemoryUserStore store;
    if (c.left) store.Set("Comfenno - COM2", "Settings", "MainLeft", *c.left);
    if (c.top) store.Set("Comfenno - COM2", "Settings", "MainTop", *c.top);
    EXPECT_EQ(LoadEnginePosition(store, ComfennoEdition(), "COM2", c.screens), c.expected)
        << c.name;
  }
  // Each port keeps its own place; Netfenno keeps none.
  MemoryUserStore store;
  StoreEnginePosition(store, ComfennoEdition(), "COM1", {10, 20});
  StoreEnginePosition(store, ComfennoEdition(), "COM3", {30, 40});
  EXPECT_EQ(LoadEnginePosition(store, ComfennoEdition(), "COM1", {}), (ScreenPoint{10, 20}));
  EXPECT_EQ(LoadEnginePosition(store, ComfennoEdition(), "COM3", {}), (ScreenPoint{30, 40}));
  StoreEnginePosition(store, NetfennoEdition(), "COM1", {50, 60});
  EXPECT_EQ(LoadEnginePosition(store, ComfennoEdition(), "COM1", {}), (ScreenPoint{10, 20}));
  EXPECT_EQ(LoadEnginePosition(store, NetfennoEdition(), "COM1", {}), std::nullopt);
}

// The tip is the caption cut to 63 whole characters.
TEST(EngineTray, TipIsTheCaptionCutToWholeCharacters) {
  EXPECT_EQ(TrayTip(std::string(70, 'x')), std::string(63, 'x'));
  // 60 ASCII characters and five three-byte characters: three of those fit.
  EXPECT_EQ(TrayTip(std::string(60, 'a') + "仮想デバイス"), std::string(60, 'a') + "仮想デ");
}

TEST(EngineWindowStates, HiddenOnlyWithATrayAndTopmostOnlyWhenNotMinimised) {
  struct Row {
    bool minimised, alwaysOnTop, tray;
    WindowStateAction expected;
  };
  const Row rows[] = {
      {false, false, true, {false, false}}, {true, false, true, {true, false}},
      {true, false, false, {false, false}}, {false, true, false, {false, true}},
      {true, true, false, {false, false}},  {true, true, true, {true, false}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(OnWindowState(row.minimised, row.alwaysOnTop, row.tray), row.expected)
        << row.minimised << row.alwaysOnTop << row.tray;
}

TEST(EngineButtons, LineButtonsFollowTheBitsInTheSerialProgramOnly) {
  EXPECT_EQ(LineButtonsShown(ComfennoEdition(), 1), (LineButtons{true, false}));
  EXPECT_EQ(LineButtonsShown(ComfennoEdition(), 2), (LineButtons{false, true}));
  EXPECT_EQ(LineButtonsShown(NetfennoEdition(), 3), (LineButtons{false, false}));
}

Settings StoredOutputStrings() {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  settings.AckString = std::string("\x06\r", 2);
  settings.TimerInterval = 1000;
  settings.TimerFlags = kTimerOnAtStart | kTimerIssuesBreak;
  settings.ButtonCaption[3] = "Tare";
  return settings;
}

// The flags show as one action; a file without an action sends the string.
TEST(OutputStrings, LoadShowsTheFlagsAsOneActionAndStoreGivesThemBack) {
  const std::pair<int16_t, TimerAction> flags[] = {
      {kTimerSendsString, TimerAction::TransmitString},
      {kTimerPulsesDtr, TimerAction::ToggleDtr},
      {kTimerIssuesBreak | kTimerOnAtStart, TimerAction::IssueBreak},
      {0, TimerAction::TransmitString},
  };
  for (const auto& [stored, action] : flags) {
    Settings settings = StoredOutputStrings();
    settings.TimerFlags = stored;
    const OutputStringValues values = LoadOutputStrings(settings);
    EXPECT_EQ(values.action, action) << stored;
    EXPECT_EQ(values.timerOn, (stored & kTimerOnAtStart) != 0);
    EXPECT_EQ(StoreOutputStrings(values, settings), stored == 0) << stored;
  }
}

TEST(OutputStrings, StoreKeepsEveryByteAndTheTimerSettings) {
  Settings settings = StoredOutputStrings();
  OutputStringValues values = LoadOutputStrings(settings);
  values.ackString = std::string("\0\x06", 2);
  values.interval = "";
  values.action = TimerAction::ToggleDtr;
  values.timerOn = false;
  EXPECT_TRUE(StoreOutputStrings(values, settings));
  EXPECT_EQ(settings.AckString, std::string("\0\x06", 2));
  EXPECT_EQ(settings.TimerInterval, 0);
  EXPECT_EQ(settings.TimerFlags, kTimerPulsesDtr);
}

TEST(OutputStrings, CheckRefusesTooLongIntervalsAndCaptionsWithLineBreaks) {
  const auto check = [](std::string interval, int entry, std::string caption) {
    OutputStringValues values = LoadOutputStrings(StoredOutputStrings());
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
}

// The same sample and settings must give in the preview exactly what the engine writes to
// its log: each field followed by its postamble, then CR LF.
TEST(RecordPreview, ShowsWhatTheEngineLogs) {
  testing::ScratchFolder folder;
  testing::EngineRig rig;
  Settings& s = rig.settings;
  s.OutputMethod = kLogToDisk;
  s.LogFilePath = folder.File("data.log");
  s.RecordStructure = kFixedLengthFields;
  s.EndOfRecordEvent = kEndSpecial;
  s.EndOfRecordChars = "\x03";
  s.FieldCount = 4;
  s.FieldLength = {0, 2, 3, 4, 2};
  s.FieldFilter[2] = "H";
  s.FieldFilter[3] = "B";
  s.FieldFilter[4] = "N";
  s.FieldMathExpr[1] = "field(2)*2";
  s.FieldFormat[1] = "0.000";
  s.FieldMathExpr[4] = "field(4)+";  // fails
  s.FieldFormat[4] = "Currency";
  for (int field = 1; field <= kMaxFields; ++field) s.FieldPostamble[field] = "|";
  const std::string sample = "AB0FF10107.5\x03\r\nxy 10\x01\x02\x03\x04-1\x03";
  rig.Start();
  rig.Feed(sample);
  rig.Close();

  const RecordPreview preview = PreviewRecords(s, rig.working, rig.regional, sample);
  std::string log;
  for (const std::vector<std::string>& row : preview.rows) {
    for (const std::string& field : row) log += field + "|";
    log += "\r\n";
  }
  EXPECT_EQ(log, testing::ReadWholeFile(s.LogFilePath));
  EXPECT_EQ(preview.fieldCount, 4);
  EXPECT_EQ(preview.rows.size(), 3u);
}

TEST(RecordPreview, MarksFailuresStopsAtTheLimitAndEndsATimedRecord) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/home/ann");
  settings.OutputMethod = kLogToDisk;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.FieldMathExpr[2] = "field(";
  std::string sample;
  for (int i = 0; i < 150; ++i) sample += std::to_string(i) + ",x\r\n";
  const auto preview = [&] {
    return PreviewRecords(settings, WorkingValues(), RegionalSettings::English(), sample);
  };
  ASSERT_EQ(preview().rows.size(), kPreviewRecords);
  EXPECT_EQ(preview().rows[99][0], "\n99");  // log mode keeps the LF, which starts the record
  EXPECT_EQ(preview().rows[99][1], "");      // what a failed expression delivers
  EXPECT_EQ(preview().failed, (std::vector<bool>{false, true}));

  settings.EndOfRecordEvent = kEndTimeGap;
  sample = "12.5 kg";
  ASSERT_EQ(preview().rows.size(), 1u);
  EXPECT_EQ(preview().rows[0][0], "12.5 kg");

  EXPECT_EQ(VisibleControls(std::string("a\0\r\n\x7f\xe9", 6)), "a<NUL><CR><LF><DEL>\xe9");
}

}  // namespace
}  // namespace fenno
