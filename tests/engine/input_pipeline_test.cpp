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

// Records ended by characters or by a byte count: each row configures the defaults, feeds
// its input and lists the records with their slots 1 to FieldCount + 1.
TEST_F(PipelineTest, FramingByCharactersAndByteCount) {
  using Records = std::vector<std::vector<std::string>>;
  const struct {
    const char* what;
    void (*configure)(Settings&);
    std::string input;
    Records records;
  } cases[] = {
      {"single field keeps its CR; a LF starts the next record", [](Settings&) {},
       "12.5\r\n13.0\r\n", Records{{"12.5\r", ""}, {"\n13.0\r", ""}}},
      {"DDE mode drops control characters as they arrive",
       [](Settings& s) { s.OutputMethod = kDdeServer; }, "12.5\r\n13.0\r\n",
       Records{{"12.5", ""}, {"13.0", ""}}},
      {"the delimiter is data in single-field records", [](Settings&) {}, "1,2\r",
       Records{{"1,2\r", ""}}},
      {"an end character ends a single-field record even when it is the delimiter",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndSpecial;
         s.EndOfRecordChars = ",";
       },
       "a,b,c,", Records{{"a,", ""}, {"b,", ""}, {"c,", ""}}},
      {"an extra field goes to the next slot, a missing one stays empty",
       [](Settings& s) {
         s.RecordStructure = kDelimitedFields;
         s.FieldCount = 3;
       },
       "a,b,c,d\ra,b\r", Records{{"a", "b", "c", "d\r"}, {"a", "b\r", "", ""}}},
      {"a run of spaces is one delimiter, but a leading space makes an empty field",
       [](Settings& s) {
         s.RecordStructure = kDelimitedFields;
         s.FieldCount = 3;
         s.Delimiter = ' ';
       },
       "1   2\r 7 8\r", Records{{"1", "2\r", "", ""}, {"", "7", "8\r", ""}}},
      {"a delimiter in the end set ends a record only past the last field",
       [](Settings& s) {
         s.RecordStructure = kDelimitedFields;
         s.FieldCount = 2;
         s.EndOfRecordEvent = kEndSpecial;
         s.EndOfRecordChars = ";";
         s.Delimiter = ';';
       },
       "a;b;c;d;", Records{{"a", "b", ""}, {"c", "d", ""}}},
      {"fixed length by byte count",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndByteCount;
         s.RecordStructure = kFixedLengthFields;
         s.RecordLength = 10;
         s.FieldCount = 2;
         s.FieldLength[1] = 4;
         s.FieldLength[2] = 6;
       },
       "ABCD\r\nEFGHIJKLMNOPQRST", Records{{"ABCD", "\r\nEFGH", ""}, {"IJKL", "MNOPQR", ""}}},
      {"field lengths beyond the record length do not shift the next record",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndByteCount;
         s.RecordStructure = kFixedLengthFields;
         s.RecordLength = 5;
         s.FieldLength[1] = 3;
         s.FieldLength[2] = 3;
       },
       "ABCDEFGHIJ", Records{{"ABC", "DE"}, {"FGH", "IJ"}}},
      {"fixed length ended by CR",
       [](Settings& s) {
         s.RecordStructure = kFixedLengthFields;
         s.FieldCount = 2;
         s.FieldLength[1] = 3;
         s.FieldLength[2] = 3;
       },
       "AAABBBCC\rDD\r", Records{{"AAA", "BBB", "CC\r"}, {"DD\r", "", ""}}},
  };
  for (const auto& c : cases) {
    settings = Settings::Defaults(ComfennoEdition(), "/tmp");
    settings.OutputMethod = kLogToDisk;
    c.configure(settings);
    sink.records.clear();
    Activate();
    Feed(c.input);
    Records records;
    for (const Record& record : sink.records) records.push_back(record.fields);
    EXPECT_EQ(records, c.records) << c.what;
  }
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

// A time-gap record ends in the tick where the ticks without input reach the gap; gaps
// outside 1..255 count as the nearest of the two.
TEST_F(PipelineTest, TimeGapEndsARecordAfterItsTicksWithoutInput) {
  const struct {
    int16_t gap;
    int ticks;
  } cases[] = {{3, 3}, {1, 1}, {255, 255}, {0, 1}, {-1, 1}, {256, 255}, {300, 255}};
  settings.EndOfRecordEvent = kEndTimeGap;
  for (const auto& c : cases) {
    settings.RecordTimeGap = c.gap;
    sink.records.clear();
    Activate();
    pipeline.IdleTick();
    Feed("ABC");
    pipeline.TimeGapCheck();  // same tick as the last byte
    for (int tick = 1; tick < c.ticks; ++tick) {
      pipeline.IdleTick();
      pipeline.TimeGapCheck();
    }
    EXPECT_TRUE(sink.records.empty()) << "gap " << c.gap;
    pipeline.IdleTick();
    pipeline.TimeGapCheck();
    ASSERT_EQ(sink.records.size(), 1u) << "gap " << c.gap;
    EXPECT_EQ(Fields(0)[0], "ABC");
  }
  // A tick whose check did not run (the tick ended early) does not make the record wait
  // longer than the next check.
  settings.RecordTimeGap = 2;
  Activate();
  Feed("X");
  for (int tick = 0; tick < 3; ++tick) pipeline.IdleTick();
  pipeline.TimeGapCheck();
  EXPECT_EQ(sink.records.size(), 2u);
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

// Records that never end are cut one byte past the size guard, in every framing mode, and
// reported once; a record of exactly the guard size ends at its own end.
TEST_F(PipelineTest, TheSizeGuardCutsOnlyRecordsLargerThanIt) {
  const size_t limit = InputPipeline::kMaxRecordBytes;
  const std::string body(limit, 'x');
  const struct {
    const char* what;
    void (*configure)(Settings&);
    std::string input;
    bool chunked;
    std::vector<size_t> sizes;
    bool reported;
  } cases[] = {
      {"a body of the guard size, then CR",
       [](Settings&) {},
       body + "\r",
       false,
       {limit + 1},
       false},
      {"the same fed in chunks", [](Settings&) {}, body + "\r", true, {limit + 1}, false},
      {"no end at all", [](Settings&) {}, body + body, false, {limit + 1}, true},
      {"no end at all, fed in chunks", [](Settings&) {}, body + body, true, {limit + 1}, true},
      {"fixed number of bytes without a record length",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndByteCount;
         s.RecordStructure = kFixedLengthFields;
         s.RecordLength = 0;
       },
       body + body,
       false,
       {limit + 1},
       true},
  };
  for (const auto& c : cases) {
    settings = Settings::Defaults(ComfennoEdition(), "/tmp");
    settings.OutputMethod = kLogToDisk;
    c.configure(settings);
    sink.records.clear();
    Activate();
    if (c.chunked) {
      bool endTick = false;
      for (size_t at = 0; at < c.input.size(); at += 4096)
        pipeline.FeedBytes(std::string_view(c.input).substr(at, 4096), endTick);
    } else {
      Feed(c.input);
    }
    std::vector<size_t> sizes;
    for (const Record& record : sink.records) sizes.push_back(record.fields[0].size());
    EXPECT_EQ(sizes, c.sizes) << c.what;
    EXPECT_EQ(pipeline.TakeOversizeRecordNotice(), c.reported) << c.what;
    EXPECT_FALSE(pipeline.TakeOversizeRecordNotice()) << c.what;
  }
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
