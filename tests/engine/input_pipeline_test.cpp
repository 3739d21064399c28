#include "engine/input_pipeline.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace fenno {
namespace {

struct Record {
  std::vector<std::string> fields;  // slots 1..FieldCount+1
  bool isVoid = false;
};

// Collects records the way the engine hands them on: copy the slots, then empty them.
class CollectingSink : public RecordSink {
 public:
  explicit CollectingSink(const Settings& settings) : settings_(settings) {}
  InputPipeline* pipeline = nullptr;
  std::vector<Record> records;
  std::string output;
  int endTickAfter = -1;  // ProcessRecord answers true for this record number (0-based)

  bool ProcessRecord() override {
    Record record;
    for (int i = 1; i <= settings_.FieldCount + 1; ++i)
      record.fields.push_back(pipeline->FieldValues[i]);
    record.isVoid = pipeline->VoidRecord;
    pipeline->VoidRecord = false;
    pipeline->ClearFieldValues();
    records.push_back(record);
    return static_cast<int>(records.size()) - 1 == endTickAfter;
  }
  void QueueOutput(std::string_view text) override { output += text; }

 private:
  const Settings& settings_;
};

class PipelineTest : public ::testing::Test {
 protected:
  PipelineTest()
      : settings(Settings::Defaults(ComfennoEdition(), "/tmp")),
        sink(settings),
        pipeline(settings, sink) {
    sink.pipeline = &pipeline;
    settings.OutputMethod = kLogToDisk;  // keeps every byte unless a test drops some
  }
  void Activate(char decimalSeparator = '.') {
    std::array<bool, kTableSize> drops{};
    if (settings.OutputMethod == kDdeServer)
      for (int b = 0; b < 32; ++b) drops[b] = true;
    pipeline.Activate(drops, decimalSeparator);
  }
  void Feed(std::string_view bytes) {
    for (char c : bytes) pipeline.FeedByte(static_cast<unsigned char>(c));
  }
  std::vector<std::string> Fields(size_t record) const { return sink.records.at(record).fields; }

  Settings settings;
  CollectingSink sink;
  InputPipeline pipeline;
};

TEST(FramingModes, DerivedFromEndEventAndStructure) {
  EXPECT_EQ(FramingModeFor(kEndCarriageReturn, kSingleField), FramingMode::SingleFieldByEndChar);
  EXPECT_EQ(FramingModeFor(kEndSpecial, kSingleField), FramingMode::SingleFieldByEndChar);
  EXPECT_EQ(FramingModeFor(kEndTimeGap, kSingleField), FramingMode::SingleFieldByTimeGap);
  EXPECT_EQ(FramingModeFor(kEndCarriageReturn, kDelimitedFields), FramingMode::DelimitedByEndChar);
  EXPECT_EQ(FramingModeFor(kEndByteCount, kSingleField), FramingMode::FixedByByteCount);
  EXPECT_EQ(FramingModeFor(kEndTimeGap, kDelimitedFields), FramingMode::DelimitedByTimeGap);
  EXPECT_EQ(FramingModeFor(kEndTimeGap, kFixedLengthFields), FramingMode::FixedByTimeGap);
  EXPECT_EQ(FramingModeFor(kEndSpecial, kFixedLengthFields), FramingMode::FixedByEndChar);
}

TEST_F(PipelineTest, SingleFieldRecordsKeepTheirCarriageReturnAndLfStartsTheNext) {
  Activate();
  Feed("12.5\r\n13.0\r\n");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0)[0], "12.5\r");
  EXPECT_EQ(Fields(1)[0], "\n13.0\r");
  EXPECT_TRUE(pipeline.InRecord);  // the final LF started a record
}

TEST_F(PipelineTest, DdeModeDropsControlCharactersAsTheyArrive) {
  settings.OutputMethod = kDdeServer;
  Activate();
  Feed("12.5\r\n13.0\r\n");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0)[0], "12.5");
  EXPECT_EQ(Fields(1)[0], "13.0");
}

TEST_F(PipelineTest, DelimitedRecords) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 3;
  Activate();
  Feed("a,b,c,d\r");  // extra field goes to slot 4 and is emptied with the record
  Feed("a,b\r");      // missing field stays empty
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0), (std::vector<std::string>{"a", "b", "c", "d\r"}));
  EXPECT_EQ(Fields(1), (std::vector<std::string>{"a", "b\r", "", ""}));
  EXPECT_EQ(pipeline.FieldValues[4], "");
}

TEST_F(PipelineTest, SpaceDelimiterRunsCountOnceButALeadingSpaceMakesAnEmptyField) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 3;
  settings.Delimiter = ' ';
  Activate();
  Feed("1   2\r");
  Feed(" 7 8\r");
  EXPECT_EQ(Fields(0), (std::vector<std::string>{"1", "2\r", "", ""}));
  EXPECT_EQ(Fields(1), (std::vector<std::string>{"", "7", "8\r", ""}));
}

TEST_F(PipelineTest, DelimiterIsDataInSingleFieldRecords) {
  Activate();
  Feed("1,2\r");
  EXPECT_EQ(Fields(0)[0], "1,2\r");
}

TEST_F(PipelineTest, FieldsBeyondTheLastCollectInSlot41) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 40;
  Activate();
  std::string record;
  for (int i = 1; i <= 45; ++i) record += std::to_string(i) + ",";
  Feed(record);
  EXPECT_EQ(pipeline.CurrentField, 41);
  EXPECT_EQ(pipeline.FieldValues[41], "4142434445");
  EXPECT_EQ(pipeline.FieldValues[42], "");
}

TEST_F(PipelineTest, DelimiterInTheEndSetEndsARecordOnlyPastTheLastField) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.EndOfRecordEvent = kEndSpecial;
  settings.EndOfRecordChars = ";";
  settings.Delimiter = ';';
  Activate();
  Feed("a;b;c;d;");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(Fields(1), (std::vector<std::string>{"c", "d", ""}));
}

TEST_F(PipelineTest, FixedLengthByByteCount) {
  settings.EndOfRecordEvent = kEndByteCount;
  settings.RecordStructure = kFixedLengthFields;
  settings.RecordLength = 10;
  settings.FieldCount = 2;
  settings.FieldLength[1] = 4;
  settings.FieldLength[2] = 6;
  Activate();
  Feed("ABCD\r\nEFGHIJKLMNOPQRST");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0), (std::vector<std::string>{"ABCD", "\r\nEFGH", ""}));
  EXPECT_EQ(Fields(1), (std::vector<std::string>{"IJKL", "MNOPQR", ""}));
  EXPECT_EQ(pipeline.FieldValues[1], "ST");
}

TEST_F(PipelineTest, FieldLengthsShorterThanTheRecordDoNotShiftTheNextRecord) {
  settings.EndOfRecordEvent = kEndByteCount;
  settings.RecordStructure = kFixedLengthFields;
  settings.RecordLength = 5;
  settings.FieldCount = 1;
  settings.FieldLength[1] = 3;
  settings.FieldLength[2] = 3;  // 3 + 3 > 5: the second field is cut by the record end
  Activate();
  Feed("ABCDEFGHIJ");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0)[0], "ABC");
  EXPECT_EQ(Fields(1)[0], "FGH");
}

TEST_F(PipelineTest, FixedLengthEndedByCarriageReturn) {
  settings.RecordStructure = kFixedLengthFields;
  settings.FieldCount = 2;
  settings.FieldLength[1] = 3;
  settings.FieldLength[2] = 3;
  Activate();
  Feed("AAABBBCC\rDD\r");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0), (std::vector<std::string>{"AAA", "BBB", "CC\r"}));
  EXPECT_EQ(Fields(1), (std::vector<std::string>{"DD\r", "", ""}));
}

TEST_F(PipelineTest, TimeGapEndsARecordInTheTickWhereTheGapIsReachedExactly) {
  settings.EndOfRecordEvent = kEndTimeGap;
  settings.RecordTimeGap = 3;
  Activate();
  pipeline.IdleTick();
  Feed("ABC");
  pipeline.TimeGapCheck();  // same tick as the last byte
  for (int tick = 1; tick <= 2; ++tick) {
    pipeline.IdleTick();
    pipeline.TimeGapCheck();
  }
  EXPECT_TRUE(sink.records.empty());
  pipeline.IdleTick();
  pipeline.TimeGapCheck();
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(Fields(0)[0], "ABC");
}

TEST_F(PipelineTest, IdleTicksWrapSoAMissedGapWaitsAFullCycle) {
  settings.EndOfRecordEvent = kEndTimeGap;
  settings.RecordTimeGap = 2;
  Activate();
  Feed("X");
  for (int tick = 0; tick < 2; ++tick) pipeline.IdleTick();  // gap reached, but no check ran
  pipeline.IdleTick();
  pipeline.TimeGapCheck();
  EXPECT_TRUE(sink.records.empty());
  for (int tick = 0; tick < 255; ++tick) pipeline.IdleTick();  // 3 + 255 = 258 = 2 mod 256
  pipeline.TimeGapCheck();
  EXPECT_EQ(sink.records.size(), 1u);
}

TEST_F(PipelineTest, DelimitedAndFixedByTimeGap) {
  settings.EndOfRecordEvent = kEndTimeGap;
  settings.RecordTimeGap = 1;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  Activate();
  Feed("1,2,3");
  pipeline.IdleTick();
  pipeline.TimeGapCheck();
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(Fields(0), (std::vector<std::string>{"1", "2", "3"}));

  settings.RecordStructure = kFixedLengthFields;
  settings.FieldLength[1] = 2;
  settings.FieldLength[2] = 2;
  Activate();
  Feed("aabbc");
  pipeline.IdleTick();
  pipeline.TimeGapCheck();
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(1), (std::vector<std::string>{"aa", "bb", "c"}));
}

TEST_F(PipelineTest, StartFilters) {
  settings.StartOfRecordEvent = kStartAlphaNumeric;
  Activate();
  Feed(std::string("\n\0A\r", 4));
  EXPECT_EQ(Fields(0)[0], "A\r");

  settings.StartOfRecordEvent = kStartNumeric;
  Activate(',');
  Feed("x.,5\r");  // the full stop does not start a record under a comma separator
  EXPECT_EQ(Fields(1)[0], ",5\r");

  settings.StartOfRecordEvent = kStartSpecial;
  settings.StartOfRecordChars = "$";
  Activate();
  Feed("12$34\r");
  EXPECT_EQ(Fields(2)[0], "$34\r");
}

TEST_F(PipelineTest, PreInputTranslation) {
  settings.PreInputTranslation[0] = kIgnoreEntry;
  settings.PreInputTranslation['a'] = "A";
  settings.PreInputTranslation[21] = kVoidRecordEntry;
  settings.EndOfRecordEvent = kEndSpecial;
  settings.EndOfRecordChars = "A";
  Activate();
  Feed(std::string("\0x\0yaz", 6));  // NUL ignored everywhere; translated a ends the record
  Feed(
      "1\x15"
      "2\r3A");  // NAK voids the record holding it
  Feed(
      "\x15"
      "B"
      "A");  // a voiding byte that starts a record voids it too
  ASSERT_EQ(sink.records.size(), 3u);
  EXPECT_EQ(Fields(0)[0], "xyA");
  EXPECT_FALSE(sink.records[0].isVoid);
  EXPECT_TRUE(sink.records[1].isVoid);
  EXPECT_TRUE(sink.records[2].isVoid);
}

TEST_F(PipelineTest, OptoRsQueriesOncePerRecordAndVoidsTheAnswerToItsOwnQuery) {
  settings.FlowControl = kFlowOptoRs;
  Activate();
  Feed("12.5\r?\r");
  EXPECT_EQ(sink.output, "?\r");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_FALSE(sink.records[0].isVoid);
  EXPECT_TRUE(sink.records[1].isVoid);
}

TEST_F(PipelineTest, FieldFilters) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 4;
  settings.FieldFilter[1] = "N";
  settings.FieldFilter[2] = "B";
  settings.FieldFilter[3] = "I";
  settings.FieldFilter[4] = "H";
  Activate();
  Feed(" -12.5 kg;ABC;secret;1F\r");
  settings.Delimiter = ';';
  Activate();
  Feed(" -12.5 kg;ABC;secret;1F\r");
  EXPECT_EQ(Fields(1), (std::vector<std::string>{"-12.5", "414243", "", "1F\r", ""}));
  Activate(',');
  Feed(" -12.5 kg;\n;;\r");
  EXPECT_EQ(Fields(2)[0], "-125");
  EXPECT_EQ(Fields(2)[1], "0A");
}

TEST_F(PipelineTest, ResumeForOneRecordLeavesTheRestOfTheInputUnread) {
  sink.endTickAfter = 0;
  Activate();
  const std::string input = "1\r2\r";
  size_t consumed = 0;
  while (consumed < input.size()) {
    if (pipeline.FeedByte(static_cast<unsigned char>(input[consumed++]))) break;
  }
  EXPECT_EQ(consumed, 2u);
  EXPECT_EQ(sink.records.size(), 1u);
}

TEST_F(PipelineTest, ARecordThatNeverEndsIsCutAtTheSizeLimitAndReportedOnce) {
  Activate();
  const std::string chunk(64 * 1024, 'x');
  for (int i = 0; i < 40; ++i) Feed(chunk);  // 2.5 MiB without a carriage return
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(Fields(0)[0].size(), InputPipeline::kMaxRecordBytes);
  EXPECT_TRUE(pipeline.TakeOversizeRecordNotice());
  EXPECT_FALSE(pipeline.TakeOversizeRecordNotice());
  EXPECT_LT(pipeline.FieldValues[1].size(), InputPipeline::kMaxRecordBytes);
}

// Feeding a stream in chunks (runs of ordinary bytes are appended at once) must give
// exactly what feeding it byte by byte gives, whatever the configuration.
TEST(PipelineChunks, ChunkedFeedingMatchesByteByByteFeeding) {
  std::mt19937 random(20261206);
  const std::string alphabet = std::string("ab ,;\r\n\t01-.") + '\0' + '\x15';
  for (int round = 0; round < 300; ++round) {
    Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
    settings.OutputMethod = static_cast<int16_t>(random() % 3);
    settings.EndOfRecordEvent = static_cast<int16_t>(random() % 4);
    settings.RecordStructure = static_cast<int16_t>(random() % 3);
    settings.StartOfRecordEvent = static_cast<int16_t>(random() % 4);
    settings.StartOfRecordChars = "a";
    settings.EndOfRecordChars = ";";
    settings.FieldCount = static_cast<int16_t>(1 + random() % 4);
    settings.Delimiter = " ,;"[random() % 3];
    settings.RecordLength = static_cast<int16_t>(1 + random() % 12);
    settings.FlowControl = random() % 4 == 0 ? kFlowOptoRs : kFlowNone;
    for (int field = 1; field <= 4; ++field) {
      settings.FieldLength[field] = static_cast<int16_t>(random() % 4);
      settings.FieldFilter[field] = std::string(1, "CCCINB"[random() % 6]);
    }
    if (random() % 2) settings.PreInputTranslation['b'] = "B";
    if (random() % 2) settings.PreInputTranslation[0] = kIgnoreEntry;
    if (random() % 2) settings.PreInputTranslation[21] = kVoidRecordEntry;
    std::string input;
    for (int i = 0; i < 400; ++i) input += alphabet[random() % alphabet.size()];

    std::array<bool, kTableSize> drops{};
    if (settings.OutputMethod != kLogToDisk)
      for (int b = 0; b < 32; ++b) drops[b] = true;
    CollectingSink byteSink(settings), chunkSink(settings);
    InputPipeline bytewise(settings, byteSink), chunked(settings, chunkSink);
    byteSink.pipeline = &bytewise;
    chunkSink.pipeline = &chunked;
    bytewise.Activate(drops, '.');
    chunked.Activate(drops, '.');
    for (size_t at = 0; at < input.size();) {
      const size_t size = 1 + random() % 40;
      for (size_t i = at; i < std::min(at + size, input.size()); ++i)
        bytewise.FeedByte(static_cast<unsigned char>(input[i]));
      bool endTick = false;
      std::string_view chunk = std::string_view(input).substr(at, size);
      while (!chunk.empty()) chunk.remove_prefix(chunked.FeedBytes(chunk, endTick));
      at += size;
      bytewise.IdleTick();
      chunked.IdleTick();
      bytewise.TimeGapCheck();
      chunked.TimeGapCheck();
    }
    ASSERT_EQ(byteSink.records.size(), chunkSink.records.size()) << "round " << round;
    for (size_t r = 0; r < byteSink.records.size(); ++r) {
      EXPECT_EQ(byteSink.records[r].fields, chunkSink.records[r].fields) << "round " << round;
      EXPECT_EQ(byteSink.records[r].isVoid, chunkSink.records[r].isVoid) << "round " << round;
    }
    EXPECT_EQ(bytewise.FieldValues, chunked.FieldValues) << "round " << round;
    EXPECT_EQ(bytewise.LastWasSpace, chunked.LastWasSpace) << "round " << round;
    EXPECT_EQ(bytewise.IdleTicks, chunked.IdleTicks) << "round " << round;
    EXPECT_EQ(byteSink.output, chunkSink.output) << "round " << round;
  }
}

}  // namespace
}  // namespace fenno
