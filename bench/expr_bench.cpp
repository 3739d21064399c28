// Evaluations per second of field expressions, the way the engine runs them: one Evaluate
// per field per record, over field values that arrived as text.

#include <benchmark/benchmark.h>

#include <string>

#include "expr/evaluator.h"
#include "expr/number_text.h"

namespace fenno {
namespace {

void RunExpression(benchmark::State& state, const char* expression) {
  ExpressionEvaluator evaluator;
  FieldValueSlots fields;
  const char* texts[] = {"12.5", "3", "1F", "7", "Kg", "  -0.25 "};
  for (int i = 0; i < 6; ++i) fields[i + 1] = Value::Text(texts[i]);
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluator.Evaluate(expression, fields, 10));
    benchmark::ClobberMemory();
  }
  state.counters["evaluations/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void ValOfFieldTimesConstant(benchmark::State& state) {
  RunExpression(state, "val(field(1))*2.54");
}
BENCHMARK(ValOfFieldTimesConstant);

void ComparisonsAndBitwise(benchmark::State& state) {
  RunExpression(state,
                "(val(field(1)) > 10 and field(2) <= 3.5) or (&h field(3) xor 255) = 224 imp "
                "field(4) * 2 <> 7 eqv (asc(field(5)) mod 7 \\ 2 >= 1) and not field(6) < 0");
}
BENCHMARK(ComparisonsAndBitwise);

void TextFunctions(benchmark::State& state) {
  RunExpression(state, "ucase(trim(field(6))) + lcase(field(5)) + hex(val(field(1)) * 100)");
}
BENCHMARK(TextFunctions);

void ValOfText(benchmark::State& state) {
  const std::string text = "  1234.5678 kg";
  for (auto _ : state) benchmark::DoNotOptimize(Val(text));
}
BENCHMARK(ValOfText);

void DoubleTextForm(benchmark::State& state) {
  double number = 1234.5678;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DoubleToText(number));
    number += 0.001;
  }
}
BENCHMARK(DoubleTextForm);

}  // namespace
}  // namespace fenno

BENCHMARK_MAIN();
