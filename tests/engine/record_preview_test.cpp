// The field editor's preview against the engine itself: the same sample and settings must
// give in the preview exactly what the engine writes to its log.

#include "engine/record_preview.h"

#include <gtest/gtest.h>

#include "support/engine_rig.h"
#include "support/test_files.h"

namespace fenno {
namespace {

// The log lines a preview stands for: each field followed by its postamble, then CR LF.
std::string AsLog(const RecordPreview& preview, const Settings& settings) {
  std::string log;
  for (const std::vector<std::string>& row : preview.rows) {
    for (size_t i = 0; i < row.size(); ++i) log += row[i] + settings.FieldPostamble[i + 1];
    log += "\r\n";
  }
  return log;
}

struct PreviewCase {
  const char* name;
  void (*configure)(Settings&);
  std::string sample;
};

TEST(RecordPreview, ShowsWhatTheEngineLogs) {
  const PreviewCase cases[] = {
      {"balance: delimited, numeric filter and format",
       [](Settings& s) {
         s.RecordStructure = kDelimitedFields;
         s.FieldCount = 3;
         s.FieldFilter[3] = "N";
         s.FieldFormat[3] = "0.000";
       },
       "ST,GS,+0012.345 g\r\nUS,NT,-0001.5 g\r\nST,GS\r\n"},
      {"fixed lengths by CR, hex and binary filters, expression",
       [](Settings& s) {
         s.RecordStructure = kFixedLengthFields;
         s.FieldCount = 3;
         s.FieldLength = {0, 2, 3, 4};
         s.FieldFilter[2] = "H";
         s.FieldFilter[3] = "B";
         s.FieldMathExpr[1] = "field(2)*2";
       },
       "AB0FF1010\r\nxy 10\x01\x02\x03\x04\r\n"},
      {"special end character, a format that cannot apply",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndSpecial;
         s.EndOfRecordChars = "\x03";
         s.FieldFormat[1] = "Currency";
         s.FieldMathExpr[1] = "field(1)+";
       },
       "12\x03\x37\x03"},
  };
  for (const PreviewCase& c : cases) {
    testing::ScratchFolder folder;
    testing::EngineRig rig;
    rig.settings.OutputMethod = kLogToDisk;
    rig.settings.LogFilePath = folder.File("data.log");
    for (int field = 1; field <= kMaxFields; ++field) rig.settings.FieldPostamble[field] = "|";
    c.configure(rig.settings);
    rig.Start();
    rig.Feed(c.sample);
    rig.Close();

    const RecordPreview preview = PreviewRecords(rig.settings, rig.working, rig.regional, c.sample);
    EXPECT_EQ(AsLog(preview, rig.settings), testing::ReadWholeFile(rig.settings.LogFilePath))
        << c.name;
    EXPECT_EQ(preview.fieldCount, rig.settings.FieldCount) << c.name;
    EXPECT_GE(preview.rows.size(), 2u) << c.name;
  }
}

TEST(RecordPreview, MarksFailuresAndStopsAtTheLimit) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/home/ann");
  settings.OutputMethod = kLogToDisk;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.FieldMathExpr[2] = "field(";
  std::string sample;
  for (int i = 0; i < 150; ++i) sample += std::to_string(i) + ",x\r\n";
  const RecordPreview preview =
      PreviewRecords(settings, WorkingValues(), RegionalSettings::English(), sample);
  ASSERT_EQ(preview.rows.size(), kPreviewRecords);
  EXPECT_EQ(preview.rows[99][0], "\n99");  // log mode keeps the LF, which starts the record
  EXPECT_EQ(preview.rows[99][1], "");      // what a failed expression delivers
  EXPECT_EQ(preview.failed, (std::vector<bool>{false, true}));

  EXPECT_EQ(VisibleControls(std::string("a\0\r\n\x7f\xe9", 6)), "a<NUL><CR><LF><DEL>\xe9");
}

TEST(RecordPreview, TheSampleEndsATimedRecord) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/home/ann");
  settings.EndOfRecordEvent = kEndTimeGap;
  settings.OutputMethod = kLogToDisk;
  const RecordPreview preview =
      PreviewRecords(settings, WorkingValues(), RegionalSettings::English(), "12.5 kg");
  ASSERT_EQ(preview.rows.size(), 1u);
  EXPECT_EQ(preview.rows[0][0], "12.5 kg");
}

}  // namespace
}  // namespace fenno
