#include "engine/input_pipeline.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace fenno {
namespace {

// Collects records the way the engine hands them on: each as its slots 1..FieldCount+1
// joined by "|", marked "!" when void.
class CollectingSink : public RecordSink {
 public:
  CollectingSink(const Settings& settings) : settings_(settings), pipeline(settings, *this) {}

  bool ProcessRecord() override {
    std::string record = pipeline.RecordIsVoid() ? "!" : "";
    for (int slot = 1; slot <= settings_.FieldCount + 1; ++slot)
      record += (slot > 1 ? "|" : "") + pipeline.FieldValue(slot);
    pipeline.DropRecord();
    records.push_back(record);
    return static_cast<int>(records.size()) == endTickAfter;
  }
  void QueueOutput(std::string_view text) override { output += text; }

  void Activate(char decimalSeparator = '.') {
    std::array<bool, kTableSize> drops{};
    if (settings_.OutputMethod == kDdeServer)
      for (int b = 0; b < 32; ++b) drops[b] = true;
    pipeline.Activate(drops, decimalSeparator);
    records.clear();
    output.clear();
  }

 private:
  const Settings& settings_;

 public:
  InputPipeline pipeline;
  std::vector<std::string> records;
  std::string output;
  int endTickAfter = 0;  // ProcessRecord answers true after this many records
};

Settings Defaults() {
  Settings s = Settings::Defaults(ComfennoEdition(), "/tmp");
  s.OutputMethod = kLogToDisk;  // keeps every byte unless a case drops some
  return s;
}

struct FramingCase {
  const char* name;
  std::function<void(Settings&)> configure;
  std::string input;
  std::vector<std::string> records;
  std::string queries = {};  // Opto-RS queries sent
  char decimalSeparator = '.';
};

// Every case is fed byte by byte and in one piece (runs of ordinary bytes are appended at
// once): both must give the same records. Under a time gap, the gap passes after the input.
TEST(InputPipeline, FramesRecordsByEachRule) {
  const auto delimited = [](int fields, char delimiter = ',') {
    return [=](Settings& s) {
      s.RecordStructure = kDelimitedFields;
      s.FieldCount = static_cast<int16_t>(fields);
      s.Delimiter = delimiter;
    };
  };
  const auto fixed = [](int16_t end, int16_t recordLength, std::vector<int16_t> lengths) {
    return [=](Settings& s) {
      s.RecordStructure = kFixedLengthFields;
      s.EndOfRecordEvent = end;
      s.RecordLength = recordLength;
      s.FieldCount = static_cast<int16_t>(lengths.size());
      for (size_t i = 0; i < lengths.size(); ++i) s.FieldLength[i + 1] = lengths[i];
      s.FieldLength[lengths.size() + 1] = 3;  // past the last field: must not count
      s.RecordTimeGap = 1;
    };
  };
  const std::vector<FramingCase> cases = {
      {"CR keeps itself, LF starts the next",
       [](Settings&) {},
       "12.5\r\n13.0\r\n",
       {"12.5\r|", "\n13.0\r|"}},
      {"DDE drops control characters",
       [](Settings& s) { s.OutputMethod = kDdeServer; },
       "12.5\r\n13.0\r\n",
       {"12.5|", "13.0|"}},
      {"delimited: extra field in the next slot, missing ones empty",
       delimited(3),
       "a,b,c,d\ra,b\r",
       {"a|b|c|d\r", "a|b\r||"}},
      {"space runs count once, a leading space makes an empty field",
       delimited(3, ' '),
       "1   2\r 7 8\r",
       {"1|2\r||", "|7|8\r|"}},
      {"the delimiter is data in a single field", [](Settings&) {}, "1,2\r", {"1,2\r|"}},
      {"an end character ends a single field even when it is the delimiter",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndSpecial;
         s.EndOfRecordChars = ",";
       },
       "a,b,c,",
       {"a,|", "b,|", "c,|"}},
      {"a delimiter in the end set ends only past the last field",
       [&](Settings& s) {
         delimited(2, ';')(s);
         s.EndOfRecordEvent = kEndSpecial;
         s.EndOfRecordChars = ";";
       },
       "a;b;c;d;",
       {"a|b|", "c|d|"}},
      {"byte count",
       fixed(kEndByteCount, 10, {4, 6}),
       "ABCD\r\nEFGHIJKLMNOPQRST",
       {"ABCD|\r\nEFGH|", "IJKL|MNOPQR|"}},
      {"field lengths past the record length do not shift the next record",
       fixed(kEndByteCount, 5, {3}),
       "ABCDEFGHIJ",
       {"ABC|DE", "FGH|IJ"}},
      {"fixed lengths ended by CR",
       fixed(kEndCarriageReturn, 0, {3, 3}),
       "AAABBBCC\rDD\r",
       {"AAA|BBB|CC\r", "DD\r||"}},
      {"delimited by time gap",
       [&](Settings& s) {
         delimited(2)(s);
         s.EndOfRecordEvent = kEndTimeGap;
         s.RecordTimeGap = 1;
       },
       "1,2,3",
       {"1|2|3"}},
      {"fixed by time gap", fixed(kEndTimeGap, 0, {2, 2}), "aabbc", {"aa|bb|c"}},
      {"alphanumeric start",
       [](Settings& s) { s.StartOfRecordEvent = kStartAlphaNumeric; },
       std::string("\n\0 A\r", 5),
       {" A\r|"}},
      {"numeric start under a decimal comma",
       [](Settings& s) { s.StartOfRecordEvent = kStartNumeric; },
       "x.,5\r",
       {",5\r|"},
       "",
       ','},
      {"start characters",
       [](Settings& s) {
         s.StartOfRecordEvent = kStartSpecial;
         s.StartOfRecordChars = "$";
       },
       "12$34\r",
       {"$34\r|"}},
      {"pre-input translation: ignored, translated and voiding bytes",
       [](Settings& s) {
         s.PreInputTranslation[0] = kIgnoreEntry;
         s.PreInputTranslation['a'] = "A";
         s.PreInputTranslation[21] = kVoidRecordEntry;
         s.EndOfRecordEvent = kEndSpecial;
         s.EndOfRecordChars = "A";
       },
       std::string("\0x\0yaz1\x15"
                   "2\r3A\x15"
                   "BA",
                   15),
       {"xyA|",
        "!z1\x15"
        "2\r3A|",
        "!\x15"
        "BA|"}},
      {"Opto-RS queries once per record and voids the answer",
       [](Settings& s) { s.FlowControl = kFlowOptoRs; },
       "12.5\r?\r",
       {"12.5\r|", "!?\r|"},
       "?\r"},
      {"field filters",
       [&](Settings& s) {
         delimited(4, ';')(s);
         s.FieldFilter[1] = "N";
         s.FieldFilter[2] = "B";
         s.FieldFilter[3] = "I";
         s.FieldFilter[4] = "H";
       },
       " -12.5 kg;ABC;secret;1F\r -1,5;\n;;\r",
       {"-12.5|414243||1F\r|", "-15|0A||\r|"}},
  };
  for (const FramingCase& c : cases) {
    Settings settings = Defaults();
    c.configure(settings);
    for (const bool bytewise : {true, false}) {
      CollectingSink sink(settings);
      sink.Activate(c.decimalSeparator);
      bool endTick = false;
      if (bytewise)
        for (char b : c.input) sink.pipeline.FeedByte(static_cast<unsigned char>(b));
      else
        sink.pipeline.FeedBytes(c.input, endTick);
      sink.pipeline.IdleTick();
      sink.pipeline.TimeGapCheck();
      EXPECT_EQ(sink.records, c.records) << c.name << (bytewise ? ", byte by byte" : "");
      EXPECT_EQ(sink.output, c.queries) << c.name;
    }
  }
}

TEST(InputPipeline, FieldsBeyondTheLastCollectInSlot41) {
  Settings settings = Defaults();
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 40;
  CollectingSink sink(settings);
  sink.Activate();
  std::string record;
  for (int i = 1; i <= 45; ++i) record += std::to_string(i) + ",";
  bool endTick = false;
  sink.pipeline.FeedBytes(record, endTick);
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
    sink.Activate();
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
  Settings settings = Defaults();
  CollectingSink sink(settings);
  sink.Activate();
  sink.endTickAfter = 1;
  bool endTick = false;
  EXPECT_EQ(sink.pipeline.FeedBytes("1\r2\r", endTick), 2u);
  EXPECT_TRUE(endTick);
  EXPECT_EQ(sink.records.size(), 1u);
}

// Records that never end are cut one byte past the size guard, in every framing mode, and
// reported once; a record of exactly the guard size ends at its own end.
TEST(InputPipeline, TheSizeGuardCutsOnlyRecordsLargerThanIt) {
  const size_t limit = InputPipeline::kMaxRecordBytes;
  const std::string body(limit, 'x');
  const auto byteCount = [](Settings& s) {
    s.EndOfRecordEvent = kEndByteCount;
    s.RecordStructure = kFixedLengthFields;
    s.RecordLength = 0;
  };
  const struct {
    const char* what;
    std::function<void(Settings&)> configure;
    std::string input;
    bool reported;
  } cases[] = {
      {"a body of the guard size, then CR", [](Settings&) {}, body + "\r", false},
      {"no end at all", [](Settings&) {}, body + body, true},
      {"a byte count without a record length", byteCount, body + body, true},
  };
  for (const auto& c : cases) {
    Settings settings = Defaults();
    c.configure(settings);
    for (const bool chunked : {false, true}) {
      CollectingSink sink(settings);
      sink.Activate();
      bool endTick = false;
      for (size_t at = 0; at < c.input.size(); at += chunked ? 64 * 1024 : c.input.size())
        sink.pipeline.FeedBytes(
            std::string_view(c.input).substr(at, chunked ? 64 * 1024 : std::string::npos), endTick);
      ASSERT_FALSE(sink.records.empty()) << c.what;
      // The record's first slot is the cut body (its CR included), then "|" and the rest.
      EXPECT_EQ(sink.records[0].find('|'), limit + 1) << c.what;
      EXPECT_EQ(sink.records.size(), 1u) << c.what;
      EXPECT_EQ(sink.pipeline.TakeOversizeRecordNotice(), c.reported) << c.what;
      EXPECT_FALSE(sink.pipeline.TakeOversizeRecordNotice()) << c.what;
    }
  }
}

}  // namespace
}  // namespace fenno
