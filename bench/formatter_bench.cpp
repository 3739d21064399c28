// Formats per second for the formatter's common uses: a named format on each field of each
// record, a numeric pattern, a date pattern for the clock and the date command.

#include <benchmark/benchmark.h>

#include "engine/formatter.h"

namespace fenno {
namespace {

const RegionalSettings& Regional() {
  static const RegionalSettings settings = RegionalSettings::English();
  return settings;
}

template <typename Format>
void Run(benchmark::State& state, Format format) {
  size_t bytes = 0;
  for (auto _ : state) {
    auto text = format();
    benchmark::DoNotOptimize(text);
    bytes += text ? text->size() : 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["chars"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

double NextValue() {
  static double value = 1234.567;
  value = value * 1.000001 + 0.013;
  if (value > 1e9) value = 1234.567;
  return value;
}

void BM_NamedFixed(benchmark::State& state) {
  Run(state, [] { return FormatNumber(NextValue(), "Fixed", Regional()); });
}
BENCHMARK(BM_NamedFixed);

void BM_NamedCurrency(benchmark::State& state) {
  Run(state, [] { return FormatNumber(-NextValue(), "Currency", Regional()); });
}
BENCHMARK(BM_NamedCurrency);

void BM_GeneralNumber(benchmark::State& state) {
  Run(state, [] { return FormatNumber(NextValue(), "", Regional()); });
}
BENCHMARK(BM_GeneralNumber);

void BM_NumericPattern(benchmark::State& state) {
  Run(state, [] { return FormatNumber(-NextValue(), "#,##0.00;(#,##0.00);\"zero\"", Regional()); });
}
BENCHMARK(BM_NumericPattern);

void BM_TextAsNumber(benchmark::State& state) {
  Run(state, [] { return FormatText("  -12,345.678 ", "Fixed", Regional()); });
}
BENCHMARK(BM_TextAsNumber);

void BM_DatePattern(benchmark::State& state) {
  LocalDateTime moment{2026, 1, 5, 15, 4, 9, 0};
  Run(state, [&moment] {
    moment.second = (moment.second + 1) % 60;
    return FormatDateTime(moment, "yyyy-mm-dd hh:nn:ss", Regional());
  });
}
BENCHMARK(BM_DatePattern);

void BM_GeneralDate(benchmark::State& state) {
  const LocalDateTime moment{2026, 1, 5, 15, 4, 9, 0};
  Run(state, [&moment] { return FormatDateTime(moment, "", Regional()); });
}
BENCHMARK(BM_GeneralDate);

}  // namespace
}  // namespace fenno

BENCHMARK_MAIN();
