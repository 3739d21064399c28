#include "transport/stream_analyzer.h"

#include <gtest/gtest.h>

#include "base/string_table.h"
#include "config/edition.h"

namespace fenno {
namespace {

using L = GuessedLayout;
using D = GuessedDelimiter;

// Samples from the user's guide and as the device simulator (tools/device_simulator.py)
// sends them, with the guess. The record length counts the CR, as
// the position of the CR in the sample.
struct GuessRow {
  std::string sample;
  RecordGuess guess;
};

const GuessRow kGuessRows[] = {
    {"12 34  56\r\n", {L::kDelimited, D::kSpace, 3, 10, true}},
    {"AB*CD", {L::kFixedLength, D::kAsterisk, 3, 5}},
    {std::string(45, ',') + "\r", {L::kDelimited, D::kComma, 40, 46}},
    {"a\tb\tc*d\r", {L::kDelimited, D::kTab, 3, 8}},         // tab before asterisk
    {"\rlater, text", {L::kSingleFieldCr, D::kNone, 1, 1}},  // only up to the CR
    {std::string("1\0002", 3), {L::kSingleFieldTimed, D::kNone, 1, 3}},
    // A first record longer than the settings can hold is cut to the limit.
    {std::string(40000, 'x') + "\r", {L::kSingleFieldCr, D::kNone, 1, 32766}},
    // Simulator: balance with status, bar-code reader, balance ending LF.
    {"ST,GS,+0100.125 g\r\nST,GS,+0100.250 g\r\n", {L::kDelimited, D::kComma, 3, 18, true}},
    {"0000000000017\r\n0000000000024\r\n", {L::kSingleFieldCr, D::kNone, 1, 14, true}},
    {"N000001   +100.125 g\nN000002   +100.250 g\n", {L::kFixedLength, D::kSpace, 9, 42}},
};

TEST(StreamAnalyzer, GuessesTheLayoutFromTheFirstRecord) {
  const StringTable strings(EditionKind::Comfenno, Language::English);
  for (const GuessRow& row : kGuessRows) {
    SCOPED_TRACE(row.sample.substr(0, 40));
    // Fed in pieces as a device delivers it, the guess is the same as at once.
    StreamAnalyzer analyzer;
    for (size_t at = 0; at < row.sample.size(); at += 3)
      analyzer.Feed(std::string_view(row.sample).substr(at, 3));
    EXPECT_EQ(analyzer.Guess(), row.guess);
    EXPECT_EQ(GuessRecordLayout(row.sample), row.guess);
  }
  EXPECT_EQ(DescribeGuess({L::kFixedLength, D::kSpace, 9, 42}, strings),
            "42 byte fixed length records with 9 field(s).");
}

TEST(StreamAnalyzer, YesStoresTheLayoutAndTheDelimiterOfDelimitedRecordsOnly) {
  struct Row {
    RecordGuess guess;
    int16_t endEvent, structure;
    char delimiter;
  };
  const Row rows[] = {
      {{L::kSingleFieldCr, D::kNone, 1, 14}, kEndCarriageReturn, kSingleField, ';'},
      {{L::kSingleFieldTimed, D::kNone, 1, 6}, kEndTimeGap, kSingleField, ';'},
      {{L::kDelimited, D::kTab, 3, 8}, kEndCarriageReturn, kDelimitedFields, '\t'},
      {{L::kFixedLength, D::kAsterisk, 3, 5}, kEndByteCount, kFixedLengthFields, ';'},
  };
  for (const Row& row : rows) {
    Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
    settings.Delimiter = ';';
    EXPECT_TRUE(StoreGuess(row.guess, settings));
    EXPECT_EQ(settings.EndOfRecordEvent, row.endEvent);
    EXPECT_EQ(settings.RecordStructure, row.structure);
    EXPECT_EQ(settings.FieldCount, row.guess.fieldCount);
    EXPECT_EQ(settings.RecordLength, row.guess.recordLength);
    EXPECT_EQ(settings.Delimiter, row.delimiter);
    EXPECT_FALSE(StoreGuess(row.guess, settings));  // already so: nothing changed
  }
  // Records ending in CR LF: the LF is ignored on input, unless the table already
  // says something else for it; a timed guess leaves it alone.
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  StoreGuess({L::kDelimited, D::kComma, 3, 18, true}, settings);
  EXPECT_EQ(settings.PreInputTranslation['\n'], kIgnoreEntry);
  settings.PreInputTranslation['\n'] = "x";
  StoreGuess({L::kSingleFieldCr, D::kNone, 1, 14, true}, settings);
  EXPECT_EQ(settings.PreInputTranslation['\n'], "x");
  settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  StoreGuess({L::kSingleFieldTimed, D::kNone, 1, 6, true}, settings);
  EXPECT_EQ(settings.PreInputTranslation['\n'], "\n");
}

TEST(StreamAnalyzer, AnEmptySampleHasNoGuessAndClearStartsAfresh) {
  StreamAnalyzer analyzer;
  EXPECT_TRUE(analyzer.Empty() && !analyzer.Guess());
  analyzer.Feed("1,2\r");
  analyzer.Clear();
  analyzer.Feed("AB");
  EXPECT_EQ(analyzer.Guess(), (RecordGuess{L::kSingleFieldTimed, D::kNone, 1, 2}));
}

TEST(StreamAnalyzer, TheQuestionNamesTheProgramAndNetfennoHasItsOwnDelimiterNames) {
  const StringTable net(EditionKind::Netfenno, Language::German);
  const RecordGuess tabs{L::kDelimited, D::kTab, 2, 3};
  EXPECT_EQ(GuessQuestion(tabs, net).rfind(net.Text(9108) + ' ', 0), 0u);
  EXPECT_NE(GuessQuestion(tabs, net).find("Netfenno"), std::string::npos);
}

}  // namespace
}  // namespace fenno
