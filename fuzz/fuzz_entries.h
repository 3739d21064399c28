#pragma once

// The bodies of the fuzz targets. Each takes one input of any bytes and must neither crash,
// hang, leak nor trip a sanitizer; where a property is cheap to check (all-or-nothing reads,
// write-and-read-back, values only their kind can hold) a violation aborts with a message.
// The libFuzzer programs (fuzz/*_fuzzer.cpp) call them, and so does the replay test that
// runs every committed input in the normal builds. The same input always does the same.
//
// Input layouts (fuzz/corpus holds examples of each):
// - ConfigReader: a configuration file, read by both programs' editions.
// - Expression: the expression, then one line (LF-separated) per field value 1, 2, ...;
//   a field line that starts with byte 1..6 holds an Integer, Long, Double, Single,
//   Boolean or Empty value (the number is the rest of the line) instead of text.
// - KeyMacro: the macro text; a first byte of 0xFF binds characters without a key.
// - InputPipeline: record settings drawn from the first bytes (DrawRecordSettings in
//   fuzz_entries.cpp), then the device stream as reads: a control byte (read length in its
//   low 6 bits, idle ticks after the read in its high 2), then the bytes read. Control bytes
//   0xFF "R" n repeat the previous read 64 * (1 + n % 32) times (0xFF and any other byte
//   are skipped).
// - Engine: record settings as for InputPipeline, then the delivery settings
//   (DrawDeliverySettings), then the stream as for InputPipeline; control bytes 0xF0 to
//   0xFE work the engine's controls instead (reset, suspend, buttons: RunControl).
// - CommandLanguage: one command per line, run on an engine between ticks; "$CONFIG" in
//   a command stands for the path of a valid configuration file.
// An expression, a macro text, or a text of the delivery settings that starts with 0xFE "R"
// is the rest repeated up to 1 MiB.

#include <cstddef>
#include <cstdint>

namespace fenno {

void FuzzConfigReader(const uint8_t* data, size_t size);
void FuzzExpression(const uint8_t* data, size_t size);
void FuzzKeyMacro(const uint8_t* data, size_t size);
void FuzzInputPipeline(const uint8_t* data, size_t size);
void FuzzEngine(const uint8_t* data, size_t size);
void FuzzCommandLanguage(const uint8_t* data, size_t size);

}  // namespace fenno
