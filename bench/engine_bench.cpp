// Throughput of the input pipeline and of whole-record delivery to the data log.
//
// Prints, for each framing mode, MB/s through framing and field filtering alone, and
// records/s through framing, completion and log delivery (to a file in a temporary
// folder and to /dev/null). Nothing here passes or fails.

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/input_pipeline.h"
#include "support/engine_rig.h"

namespace fenno {
namespace {

// Processor time of this thread: the machine is shared, so wall time would measure the
// neighbours as well.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Scenario {
  const char* name;
  std::function<void(Settings&)> configure;
  std::function<std::string(int)> record;  // the bytes of record n
};

std::string Weight(int n) {
  char text[32];
  std::snprintf(text, sizeof text, "%+9.3f g", (n % 100000) / 7.0);
  return text;
}

std::vector<Scenario> Scenarios() {
  return {
      {"single field, CR LF", [](Settings&) {},
       [](int n) { return "ST,GS," + Weight(n) + "\r\n"; }},
      {"single field, time gap", [](Settings& s) { s.EndOfRecordEvent = kEndTimeGap; },
       [](int n) { return "ST,GS," + Weight(n) + "\r\n"; }},
      {"delimited, CR",
       [](Settings& s) {
         s.RecordStructure = kDelimitedFields;
         s.FieldCount = 3;
       },
       [](int n) { return "ST,GS," + Weight(n) + "\r\n"; }},
      {"fixed, byte count",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndByteCount;
         s.RecordStructure = kFixedLengthFields;
         s.RecordLength = 19;
         s.FieldCount = 3;
         s.FieldLength[1] = 3;
         s.FieldLength[2] = 3;
         s.FieldLength[3] = 13;
       },
       [](int n) { return "ST,GS," + Weight(n) + "\r\n"; }},
      {"delimited, time gap",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndTimeGap;
         s.RecordStructure = kDelimitedFields;
         s.FieldCount = 3;
       },
       [](int n) { return "ST,GS," + Weight(n) + "\r\n"; }},
      {"fixed, time gap",
       [](Settings& s) {
         s.EndOfRecordEvent = kEndTimeGap;
         s.RecordStructure = kFixedLengthFields;
         s.FieldCount = 3;
         s.FieldLength[1] = 3;
         s.FieldLength[2] = 3;
         s.FieldLength[3] = 13;
       },
       [](int n) { return "ST,GS," + Weight(n) + "\r\n"; }},
      {"fixed, CR",
       [](Settings& s) {
         s.RecordStructure = kFixedLengthFields;
         s.FieldCount = 3;
         s.FieldLength[1] = 3;
         s.FieldLength[2] = 3;
         s.FieldLength[3] = 13;
       },
       [](int n) { return "ST,GS," + Weight(n) + "\r\n"; }},
  };
}

class CountingSink : public RecordSink {
 public:
  InputPipeline* pipeline = nullptr;
  size_t records = 0;
  bool ProcessRecord() override {
    ++records;
    pipeline->DropRecord();
    return false;
  }
  void QueueOutput(std::string_view) override {}
};

std::string Input(const Scenario& scenario, int records) {
  std::string input;
  for (int n = 0; n < records; ++n) input += scenario.record(n);
  return input;
}

void FramingOnly(const Scenario& scenario, const std::string& input) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  settings.OutputMethod = kLogToDisk;
  scenario.configure(settings);
  CountingSink sink;
  InputPipeline pipeline(settings, sink);
  sink.pipeline = &pipeline;
  pipeline.Activate({}, '.');
  const double start = CpuSeconds();
  for (int repeat = 0; repeat < 4; ++repeat) {
    bool endTick = false;
    pipeline.FeedBytes(input, endTick);
    pipeline.IdleTick();
  }
  const double seconds = CpuSeconds() - start;
  std::printf("  framing + filters:   %8.1f MB/s\n", 4.0 * input.size() / seconds / 1e6);
}

// The engine on the test rig reads from memory; the tick is called back to back.
double Delivered(const Scenario& scenario, const std::string& input, const std::string& logPath,
                 int recordsInInput) {
  testing::EngineRig rig;
  rig.settings.OutputMethod = kLogToDisk;
  rig.settings.LogFilePath = logPath;
  scenario.configure(rig.settings);
  rig.Start(ActivationMode::Virtual);
  const double start = CpuSeconds();
  // Hand the input over in tick-sized pieces, as a fast device would.
  const size_t piece = 256 * 1024;
  for (size_t at = 0; at < input.size(); at += piece)
    rig.Feed(std::string_view(input).substr(at, piece));
  for (int i = 0; i < 300 && !rig->Idle(); ++i) rig.Tick();  // time-gap records end
  const double seconds = CpuSeconds() - start;
  rig.Close();
  return recordsInInput / seconds;
}

size_t LinesIn(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  size_t lines = 0;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    lines += static_cast<size_t>(std::count(buffer, buffer + n, '\n'));
  std::fclose(file);
  return lines;
}

}  // namespace
}  // namespace fenno

int main() {
  using namespace fenno;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("fenno-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const int records = 500000;
  std::printf("Engine throughput, %d records of about 21 bytes per scenario (processor time)\n",
              records);
  for (const Scenario& scenario : Scenarios()) {
    const std::string input = Input(scenario, records);
    std::printf("%s\n", scenario.name);
    FramingOnly(scenario, input);
    const bool timeGap = std::string(scenario.name).find("time gap") != std::string::npos;
    if (timeGap) {
      // Time-gap records end only between ticks, so a stream is one record per tick.
      std::printf("  (records end at tick boundaries; delivery figures do not apply)\n");
      continue;
    }
    const std::string file = (folder / "bench.log").string();
    std::filesystem::remove(file);
    const double rate = Delivered(scenario, input, file, records);
    std::printf("  delivered to a file: %8.0f records/s (%zu lines in the file)\n", rate,
                LinesIn(file));
    std::printf("  delivered to null:   %8.0f records/s\n",
                Delivered(scenario, input, "/dev/null", records));
  }
  // The goal's reference case: single-field records of 20 bytes.
  std::string twenty;
  for (int n = 0; n < 1000000; ++n)
    twenty += "ST,GS,+" + std::to_string(100000 + n % 900000) + ".5g\r\n";
  const std::string file = (folder / "bench20.log").string();
  const double rate = Delivered(Scenarios()[0], twenty, file, 1000000);
  std::printf("single-field 20-byte records to a log file: %.0f records/s\n", rate);
  std::filesystem::remove_all(folder);
  return 0;
}
