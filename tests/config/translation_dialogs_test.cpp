#include "config/translation_dialogs.h"

#include <gtest/gtest.h>

#include "config/translation_text_ids.h"
#include "engine/date_time_format_dialog.h"

namespace fenno {
namespace {

using namespace std::string_literals;

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
  const Case cases[] = {
      {TranslationTable::Keystroke, 0, {" 0", "", "NUL", "NUL"}},
      {TranslationTable::Keystroke, 32, {" 32", "", "SPACE", " "}},
      {TranslationTable::Keystroke, 160, {" 160", "", "", " "}},
      {TranslationTable::Dde, 10, {" 10", "", "LF", "ASCII 0"}},
      {TranslationTable::Log, 65, {" 65", "A", "", "ASCII 65"}},
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
  settings.KeystrokeTranslation[233] = "%\xE9";  // a byte text, shown as UTF-8
  EXPECT_EQ(TranslationLineOf(LoadTranslation(TranslationTable::Keystroke, settings), 233, strings)
                .translation,
            "%\xC3\xA9");
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
  EXPECT_EQ(words[1].value, " Datensatz verwerfen");
  EXPECT_EQ(plain[27].controlCode, "ESC");
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
      {"", 0},
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
