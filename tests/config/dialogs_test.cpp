// The rules behind the setup dialogs: the record dialog chain with its bounds, delimiter list
// and field editor, and the translation tables' editors with the date and time format.

#include <gtest/gtest.h>

#include "base/string_ids.h"
#include "config/record_dialogs.h"
#include "config/translation_dialogs.h"
#include "config/translation_text_ids.h"
#include "engine/date_time_format_dialog.h"

namespace fenno {
namespace {

using namespace std::string_literals;

DialogCheck DelimiterCount(std::string_view digits) {
  return CheckDelimiter({',', std::string(digits)});
}

TEST(RecordDialogs, NumberBoxesAcceptTheirRangeOnly) {
  const struct {
    DialogCheck (*check)(std::string_view);
    std::vector<std::string> accepted, refused;
    int message;
    std::string field;
  } boxes[] = {
      {CheckRecordLength,
       {"1", "32766"},
       {"0", "", "32767", "4294967297"},
       str::kRecordLengthRange,
       "RecordLength"},
      {CheckTimeGap, {"1", "255"}, {"0", "256"}, str::kTimeGapRange, "ClockTicks"},
      {DelimiterCount, {"2", "40"}, {"1", "41"}, str::kFieldCountRange, "Text1"},
      {CheckFieldLengthEntry, {"32766"}, {"32767"}, str::kFieldLengthRange, "FieldLength"},
  };
  for (const auto& box : boxes) {
    for (const std::string& digits : box.accepted)
      EXPECT_TRUE(box.check(digits).Accepted()) << box.field << " " << digits;
    for (const std::string& digits : box.refused) {
      EXPECT_EQ(box.check(digits).message, box.message) << box.field << " " << digits;
      EXPECT_EQ(box.check(digits).field, box.field) << digits;
    }
  }
}

TEST(RecordDialogs, SpecialEventsNeedTheirCharacters) {
  EXPECT_EQ(CheckRecordEvents({kStartSpecial, kEndCarriageReturn, "", ""}).title,
            str::kInvalidStartEventTitle);
  EXPECT_EQ(CheckRecordEvents({kStartAny, kEndSpecial, "", ""}).field, "Text2");
  EXPECT_EQ(CheckRecordEvents({kStartAny, kEndSpecial, "", ""}).title, str::kInvalidEndEventTitle);
  EXPECT_TRUE(
      CheckRecordEvents({kStartSpecial, kEndSpecial, std::string(1, '\0'), "\x03"}).Accepted());
}

// Which dialog follows which, and what the earlier steps commit on the way.
TEST(RecordDialogs, ChainFollowsTheEventsAndTheStructure) {
  Settings settings;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 3;
  EXPECT_TRUE(StoreRecordEvents({kStartAny, kEndByteCount, "", ""}, settings));
  EXPECT_EQ(settings.RecordStructure, kFixedLengthFields);  // whatever was chosen before
  EXPECT_EQ(settings.FieldCount, 40);
  EXPECT_EQ(NextRecordDialog(RecordDialog::RecType, settings), RecordDialog::Fixed);
  EXPECT_EQ(NextRecordDialog(RecordDialog::Fixed, settings), RecordDialog::RecDefs);
  EXPECT_FALSE(StoreRecordEvents({kStartAny, kEndByteCount, "", ""}, settings));

  StoreRecordEvents({kStartAny, kEndTimeGap, "", ""}, settings);
  EXPECT_EQ(NextRecordDialog(RecordDialog::RecType, settings), RecordDialog::Timed);
  EXPECT_EQ(NextRecordDialog(RecordDialog::Timed, settings), RecordDialog::RecStructure);
  StoreRecordEvents({kStartAny, kEndSpecial, "", "\x03"}, settings);
  EXPECT_EQ(NextRecordDialog(RecordDialog::RecType, settings), RecordDialog::RecStructure);

  settings.FieldLength[5] = 7;
  StoreRecordStructure(kSingleField, settings);
  EXPECT_EQ(settings.FieldCount, 1);
  EXPECT_EQ(settings.FieldLength[5], 0);
  EXPECT_EQ(NextRecordDialog(RecordDialog::RecStructure, settings), RecordDialog::RecDefs);
  StoreRecordStructure(kDelimitedFields, settings);
  EXPECT_EQ(NextRecordDialog(RecordDialog::RecStructure, settings), RecordDialog::Delim);
  EXPECT_EQ(NextRecordDialog(RecordDialog::Delim, settings), RecordDialog::RecDefs);
  EXPECT_EQ(NextRecordDialog(RecordDialog::RecDefs, settings), RecordDialog::End);

  EXPECT_TRUE(StoreDelimiter({';', "4"}, settings));
  EXPECT_EQ(settings.Delimiter, ';');
  EXPECT_EQ(settings.FieldCount, 4);
  EXPECT_FALSE(StoreDelimiter({';', "4"}, settings));
}

TEST(RecordDialogs, DelimiterListNamesEveryCode) {
  EXPECT_EQ(DelimiterListItem(0), " 0\t    NUL  ");
  EXPECT_EQ(DelimiterListItem(44), " 44\t,   COMMA");
  EXPECT_EQ(DelimiterListItem(3), " 3  \t\x03   ETX");
  EXPECT_EQ(DelimiterListItem(255), " 255  \t\xff");
}

TEST(RecordDialogs, FixedLengthsMustAddUpAndStayContiguous) {
  const struct {
    const char* name;
    int16_t endEvent;
    int16_t recordLength;
    std::vector<int32_t> lengths;
    int message;         // 0: accepted
    int16_t fieldCount;  // after OK
  } cases[] = {
      {"sum short of the record", kEndByteCount, 10, {4, 5}, str::kFieldLengthSum, 0},
      {"sum equal to the record", kEndByteCount, 10, {4, 6}, 0, 2},
      {"ended by CR, third left empty", kEndCarriageReturn, 0, {3, 3}, 0, 2},
      {"no first length", kEndCarriageReturn, 0, {}, str::kFieldLengthRange, 0},
  };
  for (const auto& c : cases) {
    Settings settings;
    settings.RecordStructure = kFixedLengthFields;
    settings.EndOfRecordEvent = c.endEvent;
    settings.RecordLength = c.recordLength;
    settings.FieldCount = 40;
    RecordDefinitions defs = LoadRecordDefinitions(settings);
    for (size_t i = 0; i < c.lengths.size(); ++i) defs.fields[i + 1].length = c.lengths[i];
    const RecordDefinitionsCheck check = CheckRecordDefinitions(defs, settings);
    EXPECT_EQ(check.check.message, c.message) << c.name;
    if (c.message != 0) {
      EXPECT_EQ(check.check.field, "FieldLength") << c.name;
      continue;
    }
    EXPECT_TRUE(StoreRecordDefinitions(defs, settings)) << c.name;
    EXPECT_EQ(settings.FieldCount, c.fieldCount) << c.name;
  }
}

TEST(RecordDialogs, NextNeedsALengthAndRoomInTheRecord) {
  Settings settings;
  settings.RecordStructure = kFixedLengthFields;
  settings.EndOfRecordEvent = kEndByteCount;
  settings.RecordLength = 10;
  settings.FieldCount = 40;
  RecordDefinitions defs = LoadRecordDefinitions(settings);
  EXPECT_EQ(CheckNextField(defs, settings).message, str::kFieldLengthRange);
  EXPECT_FALSE(PreviousEnabled(defs));
  defs.fields[1].length = 10;
  EXPECT_TRUE(CheckNextField(defs, settings).Accepted());
  EXPECT_FALSE(NextEnabled(defs, settings));  // the record is full
  defs.fields[1].length = 4;
  EXPECT_TRUE(NextEnabled(defs, settings));
  defs.fields[1].length = 32766;
  defs.fields[2].length = 32766;
  EXPECT_EQ(BytesDefined(defs), 32767);

  settings.RecordStructure = kDelimitedFields;
  settings.EndOfRecordEvent = kEndCarriageReturn;
  settings.FieldCount = 3;
  defs.current = 3;
  EXPECT_TRUE(CheckNextField(defs, settings).Accepted());  // no lengths in delimited records
  EXPECT_FALSE(NextEnabled(defs, settings));
}

// The editor works on a copy: filter letters by list position, single-line texts, and
// a change only when a value differs.
TEST(RecordDialogs, FieldEditorCommitsItsCopy) {
  Settings settings;
  settings.FieldCount = 3;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldFilter[2] = "X";  // an unknown letter reads as no filter
  RecordDefinitions defs = LoadRecordDefinitions(settings);
  EXPECT_EQ(defs.fields[2].filter, 'C');
  Settings untouched = settings;
  EXPECT_FALSE(StoreRecordDefinitions(defs, untouched));  // opening and OK change nothing

  for (int index = 0; index < 6; ++index) EXPECT_EQ(FilterIndex(FilterLetter(index)), index);
  defs.fields[3].filter = FilterLetter(2);
  defs.fields[3].format = "0.000";
  defs.fields[3].expression = "FIELD(3)*2\r";
  const RecordDefinitionsCheck refused = CheckRecordDefinitions(defs, settings);
  EXPECT_EQ(refused.check.message, kTextHasLineBreak);
  EXPECT_EQ(refused.check.field, "FieldExpression");
  EXPECT_EQ(refused.field, 3);

  defs.fields[3].expression = "FIELD(3)*2";
  defs.preamble = "{HOME}";
  EXPECT_TRUE(CheckRecordDefinitions(defs, settings).check.Accepted());
  EXPECT_TRUE(StoreRecordDefinitions(defs, settings));
  EXPECT_EQ(settings.FieldFilter[3], "N");
  EXPECT_EQ(settings.FieldFormat[3], "0.000");
  EXPECT_EQ(settings.RecordPreamble, "{HOME}");
  EXPECT_EQ(settings.FieldCount, 3);  // delimited records keep their count
  EXPECT_FALSE(StoreRecordDefinitions(defs, settings));

  defs.preamble = "a\nb";
  const RecordDefinitionsCheck preamble = CheckRecordDefinitions(defs, settings);
  EXPECT_EQ(preamble.check.field, "PreambleMacro");
  EXPECT_EQ(preamble.field, 1);
}

class TranslationDialogsTest : public ::testing::Test {
 protected:
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  StringTable strings{EditionKind::Comfenno, Language::English};
  StringTable german{EditionKind::Comfenno, Language::German};
};

TEST_F(TranslationDialogsTest, LinesShowCodeCharacterControlNameAndTranslation) {
  struct Case {
    TranslationTable table;
    int code;
    TranslationLine line;
  };
  settings.KeystrokeTranslation[233] = "%\xE9";  // a byte text, shown as UTF-8
  const Case cases[] = {
      {TranslationTable::Keystroke, 0, {" 0", "", "NUL", "NUL"}},
      {TranslationTable::Keystroke, 233, {" 233", "\xC3\xA9", "", "%\xC3\xA9"}},
      {TranslationTable::Keystroke, 32, {" 32", "", "SPACE", " "}},
      {TranslationTable::Dde, 10, {" 10", "", "LF", "ASCII 0"}},
      {TranslationTable::PreInput, 255, {" 255", "\xC3\xBF", "", "ASCII 255"}},
  };
  for (const Case& c : cases) {
    const TranslationLine line =
        TranslationLineOf(LoadTranslation(c.table, settings), c.code, strings);
    const auto columns = [](const TranslationLine& l) {
      return l.value + "|" + l.character + "|" + l.controlCode + "|" + l.translation;
    };
    EXPECT_EQ(columns(line), columns(c.line));
  }
  settings.PreInputTranslation[21] = kVoidRecordEntry;
  EXPECT_EQ(TranslationLineOf(LoadTranslation(TranslationTable::PreInput, settings), 21, german)
                .translation,
            "Datensatz verwerfen");
}

// Each table's editor translates and resets only its own table, and stores only on OK.
TEST_F(TranslationDialogsTest, TranslateAndResetAllTouchOnlyTheEditedTable) {
  struct Case {
    int16_t outputMethod;
    TranslationTable table;
    int code;
    std::string answer;
    std::string refused;  // an answer this table cannot hold
  };
  const Case cases[] = {
      {kSendKeystrokes, TranslationTable::Keystroke, 10, "^{F5}", "{ENTER}\r\n"},
      {kDdeServer, TranslationTable::Dde, 65, "\0"s, " Ignore"},
      {kLogToDisk, TranslationTable::Log, 97, "A", " Void Record"},
      {kSendKeystrokes, TranslationTable::PreInput, 21, " Void Record", " Whatever"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.table));
    Settings s = settings;
    s.OutputMethod = c.outputMethod;
    if (c.table != TranslationTable::PreInput) {
      EXPECT_EQ(PreTransferTable(s), c.table);
    }
    TranslationEntries edited = LoadTranslation(c.table, s);
    EXPECT_FALSE(Translate(edited, c.code, c.refused));
    EXPECT_FALSE(Translate(edited, c.code, ""));  // cancelled
    EXPECT_FALSE(StoreTranslation(edited, s));
    EXPECT_TRUE(Translate(edited, c.code, c.answer));
    // Reset All of this table, then of nothing else: the other tables keep a change.
    Settings changed = s;
    changed.KeystrokeTranslation[1] = "x";
    changed.DdeTranslation[1] = 'x';
    changed.LogTranslation[1] = 'x';
    changed.PreInputTranslation[1] = "x";
    EXPECT_TRUE(StoreTranslation(edited, changed));
    TranslationEntries reset = LoadTranslation(c.table, changed);
    ResetAllTranslations(reset);
    EXPECT_TRUE(StoreTranslation(reset, changed));
    EXPECT_EQ(LoadTranslation(c.table, changed).entries, LoadTranslation(c.table, s).entries);
    const int otherChanged =
        (changed.KeystrokeTranslation[1] == "x") + (changed.DdeTranslation[1] == 'x') +
        (changed.LogTranslation[1] == 'x') + (changed.PreInputTranslation[1] == "x");
    EXPECT_EQ(otherChanged, 3);
  }
  TranslationEntries preInput = LoadTranslation(TranslationTable::PreInput, settings);
  ASSERT_TRUE(Translate(preInput, 0, " Ignore") && StoreTranslation(preInput, settings));
  EXPECT_EQ(settings.PreInputTranslation[0], "Ignore");
  // A table text shorter than 256 characters reads and is stored with its defaults after it.
  settings.DdeTranslation = "ab";
  TranslationEntries dde = LoadTranslation(TranslationTable::Dde, settings);
  ASSERT_TRUE(Translate(dde, 200, "z") && StoreTranslation(dde, settings));
  EXPECT_EQ(settings.DdeTranslation, "ab" + DefaultDdeTranslation().substr(2, 198) + "z" +
                                         DefaultDdeTranslation().substr(201));
}

TEST_F(TranslationDialogsTest, ThePreInputChartHasTwoWordsBeforeTheCodes) {
  const auto plain = AsciiChartLines(false, strings);
  const auto words = AsciiChartLines(true, german);
  ASSERT_EQ(plain.size(), 256u);
  ASSERT_EQ(words.size(), 258u);
  EXPECT_EQ(words[0].value, " Ignorieren");
  struct Case {
    int line;
    bool words;
    std::string answer;
  };
  const Case cases[] = {
      {0, true, " Ignore"}, {1, true, " Void Record"}, {2, true, "\0"s}, {257, true, "\xFF"},
      {0, false, "\0"s},    {65, false, "A"},          {256, false, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AsciiChartAnswer(c.line, c.words), c.answer) << c.line;
}

TEST_F(TranslationDialogsTest, TheDateTimeFormatRefusesWhatTheClockCannotShow) {
  const RegionalSettings regional = RegionalSettings::English();
  struct Case {
    std::string format;
    int message;
  };
  const Case cases[] = {
      {"\"at\" hh:nn:ss", 0},
      {"hh \"o'clock", str::kDateTimeFormatInvalid},
      {"hh\\", str::kDateTimeFormatInvalid},
      {"hh\r\nnn", kTextHasLineBreak},
  };
  for (const Case& c : cases) {
    const DialogCheck check = CheckDateTimeFormat(c.format, regional);
    EXPECT_EQ(check.message, c.message) << c.format;
    if (!check.Accepted()) {
      EXPECT_EQ(check.field, "Text1") << c.format;
    }
  }
  EXPECT_FALSE(StoreDateTimeFormat("", settings));
  EXPECT_TRUE(StoreDateTimeFormat("hh:nn", settings));
  EXPECT_EQ(LoadDateTimeFormat(settings), "hh:nn");
}

}  // namespace
}  // namespace fenno
