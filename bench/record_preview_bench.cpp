// The field editor's preview over a 1 MiB sample: how long one refresh takes when the
// sample is one endless record (every byte is read) and when it holds short records (the
// preview stops after its first hundred).

#include <benchmark/benchmark.h>

#include "engine/record_preview.h"

namespace fenno {
namespace {

constexpr size_t kSampleBytes = 1 << 20;

Settings BalanceSettings() {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/home/ann");
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 3;
  settings.FieldFilter[3] = "N";
  settings.FieldFormat[3] = "0.000";
  return settings;
}

void Run(benchmark::State& state, const std::string& sample) {
  const Settings settings = BalanceSettings();
  const WorkingValues working;
  const RegionalSettings regional = RegionalSettings::English();
  for (auto _ : state) {
    RecordPreview preview = PreviewRecords(settings, working, regional, sample);
    benchmark::DoNotOptimize(preview);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample.size()));
}

void BM_OneEndlessRecord(benchmark::State& state) {
  Run(state, std::string(kSampleBytes, 'x'));
}
BENCHMARK(BM_OneEndlessRecord)->Unit(benchmark::kMillisecond);

void BM_ShortRecords(benchmark::State& state) {
  std::string sample;
  while (sample.size() < kSampleBytes) sample += "ST,GS,+0012.345 g\r\n";
  Run(state, sample);
}
BENCHMARK(BM_ShortRecords)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fenno

BENCHMARK_MAIN();
