#include "engine/input_pipeline.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace fenno {
namespace {

// Collects records the way the engine hands them on: each as its slots 1..FieldCount+1
// joined by "|", marked "!" when void.
class CollectingSink : public RecordSink {
 public:
  explicit CollectingSink(const Settings& s, char decimalSeparator = '.')
      : settings(s), pipeline(s, *this) {
    pipeline.Activate({}, decimalSeparator);
  }

  bool ProcessRecord() override {
    std::string record = pipeline.RecordIsVoid() ? "!" : "";
    for (int slot = 1; slot <= settings.FieldCount + 1; ++slot)
      record += (slot > 1 ? "|" : "") + pipeline.FieldValue(slot);
    pipeline.DropRecord();
    records.push_back(record);
    return static_cast<int>(records.size()) == endTickAfter;
  }
  void QueueOutput(std::string_view) override {}
  size_t Feed(std::string_view bytes) { return pipeline.FeedBytes(bytes, endTick); }

  const Settings& settings;
  InputPipeline pipeline;
  std::vector<std::string> records;
  int endTickAfter = 0;  // ProcessRecord answers true after this many records
  bool endTick = false;
};

Settings Defaults() {
  return Settings::Defaults(ComfennoEdition(), "/tmp");
}

using Configure = std::function<void(Settings&)>;

Configure Delimited(int fields, char delimiter = ',', std::string endChars = "") {
  return [=](Settings& s) {
    s.RecordStructure = kDelimitedFields;
    s.FieldCount = static_cast<int16_t>(fields);
    s.Delimiter = delimiter;
    if (!endChars.empty()) s.EndOfRecordEvent = kEndSpecial;
    s.EndOfRecordChars = endChars;
  };
}

Configure Fixed(int16_t end, int16_t recordLength, std::vector<int16_t> lengths) {
  return [=](Settings& s) {
    s.RecordStructure = kFixedLengthFields;
    s.EndOfRecordEvent = end;
    s.RecordLength = recordLength;
    s.FieldCount = static_cast<int16_t>(lengths.size());
    for (size_t i = 0; i < lengths.size(); ++i) s.FieldLength[i + 1] = lengths[i];
    s.FieldLength[lengths.size() + 1] = 3;  // past the last field: must not count
    s.RecordTimeGap = 1;
  };
}

Configure StartsAt(int16_t event, std::string chars = "") {
  return [=](Settings& s) {
    s.StartOfRecordEvent = event;
    s.StartOfRecordChars = chars;
  };
}

struct FramingCase {
  const char* name;
  Configure configure;
  std::string input;
  std::vector<std::string> records;
  char decimalSeparator = '.';
};

// Every case is fed byte by byte and in one piece (runs of ordinary bytes are appended at
// once): both must give the same records. Under a time gap, the gap passes after the input.
TEST(InputPipeline, FramesRecordsByEachRule) {
  const Configure translated = [](Settings& s) {
    s.PreInputTranslation[0] = kIgnoreEntry;
    s.PreInputTranslation['a'] = "A";
    s.PreInputTranslation[21] = kVoidRecordEntry;
    Delimited(1, ',', "A")(s);
  };
  const Configure filtered = [](Settings& s) {
    Delimited(4, ';')(s);
    s.FieldFilter[1] = "N";
    s.FieldFilter[2] = "B";
    s.FieldFilter[3] = "I";
    s.FieldFilter[4] = "H";
  };
  const std::vector<FramingCase> cases = {
      {"CR stays, LF starts the next", {}, "12.5\r\n13.0\r\n", {"12.5\r|", "\n13.0\r|"}},
      {"one field: the delimiter is data", {}, "1,2\r", {"1,2\r|"}},
      {"extra field, missing fields", Delimited(3), "a,b,c,d\ra,b\r", {"a|b|c|d\r", "a|b\r||"}},
      {"space runs count once", Delimited(3, ' '), "1   2\r 7 8\r", {"1|2\r||", "|7|8\r|"}},
      {"end character", Delimited(1, ',', ","), "a,b,c,", {"a,|", "b,|", "c,|"}},
      {"delimiter in the end set", Delimited(2, ';', ";"), "a;b;c;d;", {"a|b|", "c|d|"}},
      {"byte count",
       Fixed(kEndByteCount, 10, {4, 6}),
       "ABCD\r\nEFGHIJKLMNOPQRST",
       {"ABCD|\r\nEFGH|", "IJKL|MNOPQR|"}},
      {"fields past the record length",
       Fixed(kEndByteCount, 5, {3}),
       "ABCDEFGHIJ",
       {"ABC|DE", "FGH|IJ"}},
      {"fixed lengths ended by CR",
       Fixed(kEndCarriageReturn, 0, {3, 3}),
       "AAABBBCC\rDD\r",
       {"AAA|BBB|CC\r", "DD\r||"}},
      {"fixed lengths by time gap", Fixed(kEndTimeGap, 0, {2, 2}), "aabbc", {"aa|bb|c"}},
      {"alphanumeric start", StartsAt(kStartAlphaNumeric), std::string("\n\0 A\r", 5), {" A\r|"}},
      {"numeric start, decimal comma", StartsAt(kStartNumeric), "x.,5\r", {",5\r|"}, ','},
      {"start characters", StartsAt(kStartSpecial, "$"), "12$34\r", {"$34\r|"}},
      // (\025 is the void-record byte 21.)
      {"ignored, translated and voiding bytes",
       translated,
       std::string("\0x\0yaz1\0252\r3A\025BA", 15),
       {"xyA|", "!z1\0252\r3A|", "!\025BA|"}},
      {"field filters",
       filtered,
       " -12.5 kg;ABC;secret;1F\r -1,5;\n;;\r",
       {"-12.5|414243||1F\r|", "-15|0A||\r|"}},
  };
  for (const FramingCase& c : cases) {
    Settings settings = Defaults();
    if (c.configure) c.configure(settings);
    for (const bool bytewise : {true, false}) {
      CollectingSink sink(settings, c.decimalSeparator);
      if (bytewise)
        for (char b : c.input) sink.pipeline.FeedByte(static_cast<unsigned char>(b));
      else
        sink.Feed(c.input);
      sink.pipeline.IdleTick();
      sink.pipeline.TimeGapCheck();
      EXPECT_EQ(sink.records, c.records) << c.name << (bytewise ? ", byte by byte" : "");
    }
  }
}

TEST(InputPipeline, FieldsBeyondTheLastCollectInSlot41) {
  Settings settings = Defaults();
  Delimited(40)(settings);
  CollectingSink sink(settings);
  for (int i = 1; i <= 45; ++i) sink.Feed(std::to_string(i) + ",");
  EXPECT_EQ(sink.pipeline.CurrentFieldNumber(), 41);
  EXPECT_EQ(sink.pipeline.FieldValue(41), "4142434445");
  EXPECT_EQ(sink.pipeline.FieldValue(42), "");
}

// A time-gap record ends in the tick where the ticks without input reach the gap, checked
// when a read finds nothing; gaps outside 1..255 count as the nearest of the two, and the
// idle count stops at 255, so a tick whose check did not run never makes a record wait
// longer than the next check.
TEST(InputPipeline, TimeGapEndsARecordAfterItsTicksWithoutInput) {
  const struct {
    int16_t gap;
    int ticks;
  } cases[] = {{3, 3}, {1, 1}, {255, 255}, {0, 1}, {-1, 1}, {256, 255}, {300, 255}};
  for (const auto& c : cases) {
    Settings settings = Defaults();
    settings.EndOfRecordEvent = kEndTimeGap;
    settings.RecordTimeGap = c.gap;
    CollectingSink sink(settings);
    InputPipeline& pipeline = sink.pipeline;
    pipeline.IdleTick();
    pipeline.FeedByte('A');
    pipeline.TimeGapCheck();  // same tick as the last byte
    for (int tick = 1; tick < c.ticks; ++tick) {
      pipeline.IdleTick();
      pipeline.TimeGapCheck();
    }
    EXPECT_TRUE(sink.records.empty()) << "gap " << c.gap;
    pipeline.IdleTick();
    pipeline.TimeGapCheck();
    EXPECT_EQ(sink.records, (std::vector<std::string>{"A|"})) << "gap " << c.gap;

    pipeline.FeedByte('X');
    for (int tick = 0; tick < 300; ++tick) pipeline.IdleTick();  // no check ran meanwhile
    pipeline.TimeGapCheck();
    EXPECT_EQ(sink.records.size(), 2u) << "gap " << c.gap;
  }
}

TEST(InputPipeline, ARecordThatEndsTheTickLeavesTheRestOfTheInputUnread) {
  const Settings settings = Defaults();
  CollectingSink sink(settings);
  sink.endTickAfter = 1;
  EXPECT_EQ(sink.Feed("1\r2\r"), 2u);
  EXPECT_TRUE(sink.endTick);
  EXPECT_EQ(sink.records.size(), 1u);
}

// Records that never end, in any framing mode, are cut one byte past the size guard and
// reported once; a record of exactly the guard size ends at its own end.
TEST(InputPipeline, TheSizeGuardCutsOnlyRecordsLargerThanIt) {
  const size_t limit = InputPipeline::kMaxRecordBytes;
  const std::string body(limit, 'x');
  const Configure byteCount = [](Settings& s) {
    s.RecordStructure = kFixedLengthFields;
    s.EndOfRecordEvent = kEndByteCount;
  };
  for (const auto& [configure, input, reported] :
       {std::tuple{Configure(), body + "\r", false}, std::tuple{Configure(), body + body, true},
        std::tuple{byteCount, body + body, true}}) {
    Settings settings = Defaults();
    if (configure) configure(settings);
    CollectingSink sink(settings);
    sink.Feed(input);
    ASSERT_EQ(sink.records.size(), 1u);
    // The record's first slot is the cut body (its CR included), then "|" and the rest.
    EXPECT_EQ(sink.records[0].find('|'), limit + 1);
    EXPECT_EQ(sink.pipeline.TakeOversizeRecordNotice(), reported);
    EXPECT_FALSE(sink.pipeline.TakeOversizeRecordNotice());
  }
}

}  // namespace
}  // namespace fenno
