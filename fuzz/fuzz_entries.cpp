#include "fuzz_entries.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_table.h"
#include "config/config_file.h"
#include "config/edition.h"
#include "config/print_config.h"
#include "config/settings.h"
#include "dde/command_language.h"
#include "dde/fake_live_data.h"
#include "dde/link_menu.h"
#include "engine/engine.h"
#include "engine/input_pipeline.h"
#include "engine/regional.h"
#include "expr/evaluator.h"
#include "expr/value.h"
#include "keys/fake_keys.h"
#include "keys/key_macro.h"
#include "support/engine_rig.h"

namespace fenno {
namespace {

using testing::EngineRig;
using testing::EnglishStrings;
using testing::FakeClipboard;
using testing::FakeKeySink;
using testing::FakeLinks;

constexpr const char* kNullDevice = "/dev/null";
constexpr int kLastFramingSlot = kFieldSlots - 2;  // framing writes slots 1..41
// A run stops after this many records, so that long streams of tiny records stay quick;
// the engine also after records with this many bytes of preamble and postambles together.
constexpr size_t kMaxPipelineRecords = 100000;
constexpr size_t kMaxEngineRecords = 5000;
constexpr size_t kMaxEngineBytes = 4 << 20;

// A property the code under test must keep; a violation is a finding like a crash.
void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// A digest of a sequence of pieces (where they end counts): long streams are compared
// without being kept. std::hash runs in the uninstrumented standard library, so it stays
// fast on megabytes.
class Digest {
 public:
  void Add(std::string_view piece) {
    value_ = value_ * 1099511628211u + std::hash<std::string_view>{}(piece) + piece.size();
  }
  bool operator==(const Digest&) const = default;

 private:
  uint64_t value_ = 14695981039346656037u;
};

// Hands out the bytes of one input front to back; an exhausted input gives zeros and
// empty texts, so every input, however short, describes a complete run.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  bool Empty() const { return rest_.empty(); }
  uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  uint16_t Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
  }
  std::string_view Take(size_t count) {
    const std::string_view taken = rest_.substr(0, count);
    rest_.remove_prefix(taken.size());
    return taken;
  }
  // A length byte (taken modulo maxLength + 1), then that many bytes.
  std::string Text(size_t maxLength) { return std::string(Take(Byte() % (maxLength + 1))); }

 private:
  std::string_view rest_;
};

// Texts that only hurt when they are long (deep nesting, long runs) are out of reach of
// inputs of a few kilobytes: a text that starts with 0xFE "R" is the rest repeated up to
// 1 MiB. Long texts slow every run that has them, so the mark takes two bytes, which random
// changes rarely make but the fuzzer's tracing of comparisons finds.
constexpr std::string_view kRepeatMark = "\xFE\x52";  // 0xFE "R"
constexpr size_t kAmplifiedSize = 1 << 20;

std::string Amplified(std::string_view text) {
  if (!text.starts_with(kRepeatMark)) return std::string(text);
  text.remove_prefix(kRepeatMark.size());
  std::string repeated;
  if (text.empty()) return repeated;
  repeated.reserve(kAmplifiedSize + text.size());
  while (repeated.size() < kAmplifiedSize) repeated.append(text);
  return repeated;
}

// A file in memory with a path the file functions can open, so that the readers see a
// regular file without the fuzzer writing to disk on every run.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("fenno-fuzz", MFD_CLOEXEC)) {
    Check(fd_ >= 0, "memfd_create failed");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the content; answers the path.
  const std::string& Hold(std::string_view bytes) {
    Check(::ftruncate(fd_, 0) == 0, "ftruncate failed");
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n =
          ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      Check(n > 0, "writing the memory file failed");
      done += static_cast<size_t>(n);
    }
    return path_;
  }
  const std::string& Path() const { return path_; }
  std::string Contents() const {
    std::string bytes;
    char buffer[4096];
    for (ssize_t n;
         (n = ::pread(fd_, buffer, sizeof buffer, static_cast<off_t>(bytes.size()))) > 0;)
      bytes.append(buffer, static_cast<size_t>(n));
    return bytes;
  }

 private:
  int fd_;
  std::string path_;
};

const Edition& EditionOf(bool tcp) {
  return tcp ? NetfennoEdition() : ComfennoEdition();
}

const RegionalSettings& RegionalOf(bool decimalComma) {
  static const RegionalSettings english = RegionalSettings::English();
  static const RegionalSettings comma = [] {
    RegionalSettings r = RegionalSettings::English();
    r.decimalSeparator = ',';
    r.thousandsSeparator = ".";
    r.currencyDecimalSeparator = ',';
    r.currencyThousandsSeparator = ".";
    r.shortDatePattern = "dd.mm.yyyy";
    return r;
  }();
  return decimalComma ? comma : english;
}

// ---------------------------------------------------------------------------------------
// Settings drawn from an input, within the ranges a configuration file can hold.

// Record layout and input translation: what the input pipeline acts on.
struct RecordChoices {
  bool decimalComma = false;
  bool tcp = false;
  uint8_t endTickEvery = 0;  // the record sink ends the tick after every n-th record
};

RecordChoices DrawRecordSettings(FuzzInput& in, Settings& s) {
  RecordChoices choices;
  const uint8_t layout = in.Byte();
  s.RecordStructure = static_cast<int16_t>(layout % 3);
  s.EndOfRecordEvent = static_cast<int16_t>(layout / 3 % 4);
  s.StartOfRecordEvent = static_cast<int16_t>(layout / 12 % 4);
  const uint8_t flags = in.Byte();
  s.FlowControl = static_cast<int16_t>(flags & 3);
  s.OutputMethod = static_cast<int16_t>((flags >> 2) % 3);
  choices.decimalComma = (flags & 0x10) != 0;
  choices.tcp = (flags & 0x20) != 0;
  choices.endTickEvery = static_cast<uint8_t>(flags >> 6);
  s.FieldCount = static_cast<int16_t>(1 + in.Byte() % kMaxFields);
  s.Delimiter = static_cast<char>(in.Byte());
  s.RecordTimeGap = static_cast<int16_t>(in.Word());
  s.RecordLength = static_cast<int16_t>(in.Word() & 0x7FFF);
  s.StartOfRecordChars = in.Text(8);
  s.EndOfRecordChars = in.Text(8);
  static constexpr const char* kFilters[] = {"", "C", "I", "N", "B", "H", "O", "Numeric"};
  for (int n = in.Byte() % 8; n > 0; --n) {
    const int field = 1 + in.Byte() % kMaxFields;
    s.FieldLength[field] = in.Byte();
    s.FieldFilter[field] = kFilters[in.Byte() % std::size(kFilters)];
  }
  for (int n = in.Byte() % 16; n > 0; --n) {
    const uint8_t code = in.Byte();
    const uint8_t entry = in.Byte();
    s.PreInputTranslation[code] = entry == 0   ? std::string(kIgnoreEntry)
                                  : entry == 1 ? std::string(kVoidRecordEntry)
                                               : std::string(1, static_cast<char>(in.Byte()));
  }
  return choices;
}

// How records are completed and delivered, and what the engine sends by itself.
void DrawDeliverySettings(FuzzInput& in, Settings& s) {
  const uint8_t flags = in.Byte();
  s.BeepOnInput = (flags & 1) != 0;
  s.ShowDateTime = (flags & 2) != 0;
  s.StartSuspended = (flags & 4) != 0;
  s.StripCrLf = (flags & 8) != 0;
  s.TimerFlags = static_cast<int16_t>(flags >> 4);
  s.TimerInterval = in.Byte() * 25;
  s.InterCharDelay = in.Byte();
  s.TimerString = in.Text(8);
  s.AckString = in.Text(8);
  s.RecordPreamble = Amplified(in.Text(32));
  s.DateTimeFormat = Amplified(in.Text(32));
  for (int n = in.Byte() % 8; n > 0; --n) {
    const int field = 1 + in.Byte() % kMaxFields;
    s.FieldFormat[field] = Amplified(in.Text(32));
    s.FieldMathExpr[field] = Amplified(in.Text(64));
    s.FieldPostamble[field] = Amplified(in.Text(16));
  }
  for (int n = in.Byte() % 8; n > 0; --n) {
    const uint8_t code = in.Byte();
    s.KeystrokeTranslation[code] = in.Text(8);
    s.DdeTranslation[code] = static_cast<char>(in.Byte());
    s.LogTranslation[code] = static_cast<char>(in.Byte());
  }
  for (int n = in.Byte() % 4; n > 0; --n) {
    const int button = 1 + in.Byte() % kOutputStrings;
    s.ButtonString[button] = in.Text(8);
  }
}

// ---------------------------------------------------------------------------------------
// Configuration reader

void CheckConfigFile(MemoryFile& file, std::string_view bytes, const Edition& edition) {
  const std::string& path = file.Hold(bytes);
  const Settings defaults = Settings::Defaults(edition, "/home/fuzz");
  Settings settings = defaults;
  const ReadResult result = ReadConfigFile(path, settings, edition);
  const HeaderCheck header = InspectConfigHeader(path, edition);
  Check(result != ReadResult::Unreadable && header.status != HeaderStatus::Unreadable,
        "a file in memory reads as unreadable");
  if (result != ReadResult::Ok && result != ReadResult::OldFileOk) {
    Check(settings == defaults, "a failed read changed the settings");
    return;
  }
  Check(header.status == HeaderStatus::Ok && header.portIndex == settings.PortIndex,
        "the header check disagrees with the reader");
  Check(!PrintConfig(settings, edition).empty(), "an empty listing of a read file");

  // What was read and can be stored must be written so that it reads back the same.
  if (FindUnstorableSetting(settings, edition)) return;
  const std::string written = ConfigFileBytes(settings, edition);
  Settings reread = defaults;
  Check(ReadConfigFile(file.Hold(written), reread, edition) == ReadResult::Ok,
        "a written file does not read back");
  Check(reread == settings, "a written file reads back different settings");
  Check(ConfigFileBytes(reread, edition) == written, "writing is not repeatable");
}

// ---------------------------------------------------------------------------------------
// Expressions

template <typename Number>
Number Clamped(double number) {
  if (std::isnan(number)) return 0;
  const double low = static_cast<double>(std::numeric_limits<Number>::lowest());
  const double high = static_cast<double>(std::numeric_limits<Number>::max());
  return static_cast<Number>(number < low ? low : number > high ? high : number);
}

Value FieldValueOf(std::string_view line) {
  if (line.empty() || line.front() < 1 || line.front() > 6) return Value::Text(std::string(line));
  const char kind = line.front();
  line.remove_prefix(1);
  double number = 0;
  std::from_chars(line.data(), line.data() + line.size(), number);
  if (!std::isfinite(number)) number = 0;
  switch (kind) {
    case 1:
      return Value::Integer(Clamped<int16_t>(std::trunc(number)));
    case 2:
      return Value::Long(Clamped<int32_t>(std::trunc(number)));
    case 3:
      return Value::Double(number);
    case 4:
      return Value::Single(Clamped<float>(number));
    case 5:
      return Value::Boolean(number != 0);
    default:
      return Value();
  }
}

template <typename Int>
bool FitsExactly(double number) {
  return number == std::trunc(number) && number >= std::numeric_limits<Int>::min() &&
         number <= std::numeric_limits<Int>::max();
}

// A value an expression leaves must be one its kind can hold.
void CheckPlausible(const Value& value) {
  const double number = value.number();
  switch (value.kind()) {
    case Value::Kind::Double:
      Check(std::isfinite(number), "a Double that is not finite");
      break;
    case Value::Kind::Single:
      Check(std::isfinite(number) && static_cast<double>(static_cast<float>(number)) == number,
            "a Single a float cannot hold");
      break;
    case Value::Kind::Integer:
      Check(FitsExactly<int16_t>(number), "an Integer outside 16 bits");
      break;
    case Value::Kind::Long:
      Check(FitsExactly<int32_t>(number), "a Long outside 32 bits");
      break;
    case Value::Kind::Boolean:
      Check(number == 0 || number == -1, "a Boolean other than 0 and -1");
      break;
    case Value::Kind::Empty:
    case Value::Kind::Text:
      Check(number == 0, "a number in an Empty or Text value");
      break;
  }
}

// ---------------------------------------------------------------------------------------
// Key macros

// Parses `text` and plays its key events; answers the parse result.
int CheckKeyMacro(KeyMacro& macro, std::string_view text) {
  const int result = macro.ParseKeyMacro(text);
  Check(result >= kMacroOk && result <= kMacroTooDeep, "an unknown parse result");
  Check(macro.Queue().size() <= static_cast<size_t>(kKeyQueueSize), "an overfull key queue");
  if (result != kMacroOk) return result;
  // Every key that goes down comes up again, so no key (Shift above all) stays held in
  // the window that received the text.
  std::array<bool, 0x300> down{};
  size_t events = 0;
  while (const std::optional<KeyEvent> event = macro.NextKeyEvent()) {
    Check(event->code > 0 && event->code < static_cast<int>(down.size()), "a bad key code");
    bool& held = down[static_cast<size_t>(event->code)];
    Check(held != event->press, "a key pressed twice or released while up");
    held = event->press;
    ++events;
  }
  Check(events <= 2 * macro.Queue().size(), "more key events than queued keys");
  for (bool held : down) Check(!held, "a key is left down");
  for (int modifier : {vk::kShift, vk::kControl, vk::kAlt})
    Check(!macro.ModifierDown(modifier), "a modifier is left down");
  return result;
}

// ---------------------------------------------------------------------------------------
// Input pipeline

// Collects every record (its slots and whether it was void) and checks what the framing
// may and may not leave in the slots.
class CheckingSink : public RecordSink {
 public:
  explicit CheckingSink(uint8_t endTickEvery) : endTickEvery_(endTickEvery) {}

  bool ProcessRecord() override {
    InputPipeline& p = *pipeline;
    Check(p.FieldValue(0).empty() && p.FieldValue(kFieldSlots - 1).empty(),
          "framing wrote slot 0 or 42");
    Check(p.HighestSlot() <= kLastFramingSlot, "framing went beyond slot 41");
    digest.Add(p.RecordIsVoid() ? "void" : "record");
    for (int slot = 0; slot < kFieldSlots; ++slot) {
      if (p.FieldValue(slot).empty()) continue;
      digest.Add(std::string_view(&"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefg"[slot], 1));
      digest.Add(p.FieldValue(slot));
    }
    ++records;
    p.DropRecord();
    for (int slot = 0; slot < kFieldSlots; ++slot)
      Check(p.FieldValue(slot).empty(), "a record left bytes behind for the next one");
    return (endTickEvery_ != 0 && records % endTickEvery_ == 0) || records > kMaxPipelineRecords;
  }
  void QueueOutput(std::string_view text) override { digest.Add(text); }

  InputPipeline* pipeline = nullptr;
  size_t records = 0;
  Digest digest;  // of the records and the Opto-RS queries, in order

 private:
  uint8_t endTickEvery_;
};

void CheckFramingState(const InputPipeline& p) {
  Check(p.CurrentFieldNumber() >= 1 && p.CurrentFieldNumber() <= kLastFramingSlot,
        "CurrentField out of range");
  size_t bytes = 0;
  for (int slot = 0; slot < kFieldSlots; ++slot) bytes += p.FieldValue(slot).size();
  // Two characters per byte at most (binary fields become hex digits).
  Check(bytes <= 2 * InputPipeline::kMaxRecordBytes + 2, "a record grows without limit");
}

// Feeds one tick's bytes as the engine does: until all are used or a record ends the tick,
// then (when all were used) the read that finds nothing checks the time gap.
std::string_view FeedTick(InputPipeline& pipeline, std::string_view bytes) {
  pipeline.IdleTick();
  bool endTick = false;
  const size_t used = pipeline.FeedBytes(bytes, endTick);
  Check(used <= bytes.size() && (endTick || used == bytes.size()),
        "FeedBytes used the wrong number of bytes");
  if (!endTick) pipeline.TimeGapCheck();
  CheckFramingState(pipeline);
  return bytes.substr(used);
}

// A device stream as the reads and ticks that deliver it.
struct DeviceStream {
  std::vector<std::string> reads;
  std::vector<int> idleTicksAfter;
  std::string bytes;
};

// Control bytes 0xFF "R" repeat the previous plain read 64 times for each step of the byte
// after them (up to 32 steps), in one read, so that records can outgrow the size limit; 0xFF
// followed by anything else is skipped. All the repeats of one input together stop a little
// past that limit.
constexpr size_t kMaxRepeatedBytes = InputPipeline::kMaxRecordBytes + (256 << 10);

DeviceStream ReadStream(FuzzInput& in) {
  DeviceStream stream;
  std::string_view lastPlain;
  size_t repeatedBytes = 0;
  while (!in.Empty()) {
    const uint8_t control = in.Byte();
    if (control == 0xFF) {
      if (in.Byte() != 'R') continue;
      std::string repeated;
      for (int n = (1 + in.Byte() % 32) * 64; n > 0 && repeatedBytes < kMaxRepeatedBytes; --n) {
        repeated += lastPlain;
        repeatedBytes += lastPlain.size();
      }
      stream.bytes.append(repeated);
      stream.reads.push_back(std::move(repeated));
      stream.idleTicksAfter.push_back(0);
      continue;
    }
    lastPlain = in.Take(control & 63);
    stream.reads.emplace_back(lastPlain);
    stream.idleTicksAfter.push_back(control >> 6);
    stream.bytes.append(lastPlain);
  }
  return stream;
}

// What framing made of a stream: the records and the Opto-RS queries.
struct Framed {
  size_t records;
  Digest digest;
  bool truncated;  // stopped at kMaxPipelineRecords
};

// The records of `stream` under `settings`, either read as the stream says or, when
// `oneRead`, all in one read.
Framed FrameStream(const Settings& settings, const RecordChoices& choices,
                   const std::array<bool, kTableSize>& drops, const DeviceStream& stream,
                   bool oneRead) {
  CheckingSink sink(choices.endTickEvery);
  InputPipeline pipeline(settings, sink);
  sink.pipeline = &pipeline;
  pipeline.Activate(drops, choices.decimalComma ? ',' : '.');
  const auto enough = [&sink] { return sink.records > kMaxPipelineRecords; };
  if (oneRead) {
    for (std::string_view rest = stream.bytes; !rest.empty() && !enough();)
      rest = FeedTick(pipeline, rest);
  } else {
    for (size_t read = 0; read < stream.reads.size() && !enough(); ++read) {
      std::string_view chunk = stream.reads[read];
      do chunk = FeedTick(pipeline, chunk);
      while (!chunk.empty() && !enough());
      for (int idle = stream.idleTicksAfter[read]; idle > 0; --idle) FeedTick(pipeline, {});
    }
  }
  return {sink.records, sink.digest, enough()};
}

// ---------------------------------------------------------------------------------------
// Engine

// The records one run delivers at most: a run must stay quick even when every record
// carries a long preamble or long postambles.
size_t RecordLimit(const Settings& s) {
  size_t fixedBytes = s.RecordPreamble.size();
  for (int field = 1; field <= s.FieldCount; ++field) fixedBytes += s.FieldPostamble[field].size();
  return std::max<size_t>(1, std::min(kMaxEngineRecords, kMaxEngineBytes / (1 + fixedBytes)));
}

// True when a record's keystroke text is made of the record's own characters through the
// default keystroke table alone.
bool OnlyTranslatedData(const Settings& s) {
  if (!s.RecordPreamble.empty() || s.KeystrokeTranslation != DefaultKeystrokeTranslation())
    return false;
  for (int field = 1; field <= kMaxFields; ++field)
    if (!s.FieldPostamble[field].empty()) return false;
  return true;
}

// Types each record through the key macro parser, as the keystroke sender would.
class ParsingKeystrokes : public KeystrokeTarget {
 public:
  bool Activate(Settings&) override { return true; }
  void Type(std::string_view macroText, int32_t) override {
    const int result = CheckKeyMacro(macro_, macroText);
    // The default table writes every character that means something to the macro language
    // as a key name, so whatever the device sent types (unless it is too long to queue).
    Check(!onlyTranslatedData || result == kMacroOk || result == kMacroQueueFull,
          "a record's own characters make its keystrokes fail");
    typed.Add(macroText);
  }
  void Restore() override {}

  bool onlyTranslatedData = false;  // no preamble or postambles, the default table
  Digest typed;

 private:
  FakeKeySink sink_;
  KeyMacro macro_{sink_};
};

// What the field boxes and the record number showed, in order.
class ShownTexts : public EngineObserver {
 public:
  void OnFieldText(int field, const std::string& text) override {
    shown.Add(std::to_string(field));
    shown.Add(text);
  }
  void OnRecordNumber(const std::string& text) override {
    shown.Add("#");
    shown.Add(text);
    if (text.empty()) return;  // activation or reset
    // Enough for one run: the rest of the input waits, as after a suspend hot key.
    if (++records >= recordLimit && !engine->Suspended()) engine->ToggleSuspend();
  }

  Digest shown;
  Engine* engine = nullptr;
  size_t recordLimit = SIZE_MAX;
  size_t records = 0;
};

// An engine on the test rig: keystroke mode with a target to type into or none; item mode
// without a partner; nobody to answer questions.
struct EngineBench : EngineRig {
  EngineBench(const Edition& edition, Settings initial, ActivationMode mode, bool decimalComma,
              bool keystrokeTarget, const std::string& logPath)
      : EngineRig(edition) {
    settings = std::move(initial);
    settings.LogFilePath = logPath;
    regional = RegionalOf(decimalComma);
    port.Open();
    keystrokes = keystrokeTarget ? &keys : nullptr;
    keys.onlyTranslatedData = OnlyTranslatedData(settings);
    links = &fakeLinks;
    unattended = true;
    observer.recordLimit = RecordLimit(settings);
    observers.push_back(&observer);
    observer.engine = &Start(mode);
  }
  ~EngineBench() { Close(); }

  ParsingKeystrokes keys;
  FakeLinks fakeLinks;
  ShownTexts observer;
};

void RunControl(EngineBench& bench, int control, uint8_t argument) {
  Engine& engine = bench.engine();
  switch (control) {
    case 0:
      if (argument & 1)
        engine.RequestReset();
      else
        engine.Reset();
      break;
    case 1:
      engine.ToggleSuspend();
      break;
    case 2:
      engine.ResumeForOneRecord();
      break;
    case 3:
      engine.ClearFields();
      break;
    case 4:
      engine.ToggleTimedOutput();
      break;
    case 5:
      engine.PushButton(1 + argument % kOutputStrings);
      break;
    case 6:
      engine.SetTimerInterval(argument * 10);
      break;
    case 7:
      engine.StartBreak();
      break;
    case 8:
      engine.PulseDtr();
      break;
    case 9:
      engine.ChangeBaudRate(kBaudRates[argument % kBaudRates.size()]);
      break;
    case 10:
      engine.RequestExit();
      break;
    case 11:
      engine.OutputBufferChanged(std::string(argument % 4, '\r') + "\n");
      break;
    case 12:
      engine.Restart();
      break;
    case 13:
      engine.SetDtr((argument & 1) != 0);
      break;
    case 14:
      bench.port.writeLimit = argument % 4 == 0 ? SIZE_MAX : static_cast<size_t>(argument % 4 - 1);
      break;
    default:
      break;
  }
}

// What one engine run delivered.
struct EngineRun {
  Digest shown;        // field boxes and record numbers
  Digest typed;        // keystroke texts
  std::string log;     // the data log
  std::string device;  // what was written to the device
  bool usedControls = false;
};

// Runs the engine over the rest of the input: the device bytes arrive as the input says, or,
// when `oneRead`, all before the first tick (the controls then run before it too).
EngineRun RunEngine(const Edition& edition, const Settings& settings, ActivationMode mode,
                    bool decimalComma, bool keystrokeTarget, FuzzInput stream, bool oneRead) {
  static MemoryFile logFile;
  logFile.Hold({});
  EngineRun run;
  {
    EngineBench bench(edition, settings, mode, decimalComma, keystrokeTarget, logFile.Path());
    // One tick, the log it wrote taken out of the file. Once the run has delivered all the
    // records it may (the engine is suspended then), the rest of the input is still taken,
    // so that both runs see the same controls, but only the last ticks run.
    const auto tick = [&](bool last) {
      if (!last && bench.observer.records >= bench.observer.recordLimit) return;
      bench.Tick();
      run.log += logFile.Contents();
      logFile.Hold({});
    };
    int lastTicks = 8;  // time-gap records end and queued output leaves
    std::string_view lastChunk;
    size_t repeatedBytes = 0;
    while (!stream.Empty()) {
      const uint8_t control = stream.Byte();
      if (control == 0xFF) {
        // 0xFF "R": the last chunk again, 64 times per step of the next byte, read in pieces
        // of 16 KiB, one a tick.
        if (stream.Byte() != 'R') continue;
        for (int n = (1 + stream.Byte() % 32) * 64; n > 0 && repeatedBytes < kMaxRepeatedBytes;
             --n) {
          bench.port.input.append(lastChunk);
          repeatedBytes += lastChunk.size();
          if (!oneRead && bench.port.input.size() >= (16 << 10)) tick(false);
        }
        if (oneRead)
          ++lastTicks;
        else
          tick(false);
        continue;
      }
      if (control >= 0xF0) {
        run.usedControls = true;
        RunControl(bench, control & 0x0F, stream.Byte());
        continue;
      }
      lastChunk = stream.Take(control & 63);
      bench.port.input.append(lastChunk);
      for (int ticks = 0; ticks <= control >> 6; ++ticks) {
        if (oneRead)
          ++lastTicks;
        else
          tick(false);
      }
    }
    for (; lastTicks > 0; --lastTicks) tick(true);
    bench.engine().Close();
    run.log += logFile.Contents();
    run.shown = bench.observer.shown;
    run.typed = bench.keys.typed;
    run.device = std::move(bench.port.output);
  }
  return run;
}

// ---------------------------------------------------------------------------------------
// Command language

// The configuration "$CONFIG" names: the defaults with a record layout of their own.
const std::string& ConfigPathFor(const Edition& edition) {
  static MemoryFile serialFile, tcpFile;
  static const std::string serialPath = [] {
    Settings s = Settings::Defaults(ComfennoEdition(), "/home/fuzz");
    s.LogFilePath = kNullDevice;
    s.RecordStructure = kDelimitedFields;
    s.FieldCount = 3;
    s.OutputMethod = kLogToDisk;
    return serialFile.Hold(ConfigFileBytes(s, ComfennoEdition()));
  }();
  static const std::string tcpPath = [] {
    Settings s = Settings::Defaults(NetfennoEdition(), "/home/fuzz");
    s.LogFilePath = kNullDevice;
    s.EndOfRecordEvent = kEndTimeGap;
    s.OutputMethod = kDdeServer;
    return tcpFile.Hold(ConfigFileBytes(s, NetfennoEdition()));
  }();
  return edition.IsSerial() ? serialPath : tcpPath;
}

}  // namespace

void FuzzConfigReader(const uint8_t* data, size_t size) {
  static MemoryFile file;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckConfigFile(file, bytes, ComfennoEdition());
  CheckConfigFile(file, bytes, NetfennoEdition());
}

void FuzzExpression(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t lineEnd = text.find('\n');
  const std::string expression = Amplified(text.substr(0, lineEnd));
  FieldValueSlots fields;
  for (size_t slot = 1; lineEnd != std::string_view::npos && slot < fields.size(); ++slot) {
    text.remove_prefix(lineEnd + 1);
    lineEnd = text.find('\n');
    fields[slot] = FieldValueOf(text.substr(0, lineEnd));
  }

  constexpr int kResultSlot = 1;
  const FieldValueSlots original = fields;
  FieldValueSlots twinFields = fields;
  ExpressionEvaluator evaluator;
  ExpressionEvaluator twin;
  const bool ok = evaluator.Evaluate(expression, fields, kResultSlot);
  const bool twinOk = twin.Evaluate(expression, twinFields, kResultSlot);
  Check(ok == twinOk && fields == twinFields, "one expression gave two results");
  CheckPlausible(fields[kResultSlot]);
  for (size_t slot = 0; slot < fields.size(); ++slot)
    Check(slot == kResultSlot || fields[slot] == original[slot],
          "an expression changed a slot other than its own");
  // Again on its own result, as a record's later field would see it.
  evaluator.Evaluate(expression, fields, kResultSlot);
  CheckPlausible(fields[kResultSlot]);
}

void FuzzKeyMacro(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  FakeKeySink sink;
  if (!input.empty() && static_cast<unsigned char>(input.front()) == 0xFF) {
    sink.bindsKeylessCharacters = true;
    input.remove_prefix(1);
  }
  const std::string text = Amplified(input);
  KeyMacro macro(sink);
  CheckKeyMacro(macro, text);
  // Parsing again replaces the queue and gives the same keys.
  const std::vector<int16_t> first(macro.Queue().begin(), macro.Queue().end());
  const int result = macro.ParseKeyMacro(text);
  Check(result != kMacroOk ||
            std::vector<int16_t>(macro.Queue().begin(), macro.Queue().end()) == first,
        "the same text gave other keys");
}

void FuzzInputPipeline(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  Settings settings = Settings::Defaults(ComfennoEdition(), "/home/fuzz");
  const RecordChoices choices = DrawRecordSettings(in, settings);
  std::array<bool, kTableSize> drops{};
  for (int n = in.Byte() % 8; n > 0; --n) drops[in.Byte()] = true;
  const DeviceStream stream = ReadStream(in);

  const Framed asSent = FrameStream(settings, choices, drops, stream, false);
  // Unless time ends records, how a device's bytes are split into reads must not matter.
  if (settings.EndOfRecordEvent == kEndTimeGap || asSent.truncated) return;
  const Framed inOneRead = FrameStream(settings, choices, drops, stream, true);
  Check(!inOneRead.truncated && asSent.records == inOneRead.records &&
            asSent.digest == inOneRead.digest,
        "the records depend on how the bytes were read");
}

void FuzzEngine(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const Edition* edition = &ComfennoEdition();
  Settings settings = Settings::Defaults(*edition, "/home/fuzz");
  const RecordChoices choices = DrawRecordSettings(in, settings);
  if (choices.tcp) edition = &NetfennoEdition();
  DrawDeliverySettings(in, settings);
  const uint8_t modeByte = in.Byte();
  const ActivationMode mode = modeByte % 3 == 0   ? ActivationMode::Normal
                              : modeByte % 3 == 1 ? ActivationMode::Virtual
                                                  : ActivationMode::Test;
  const bool keystrokeTarget = (modeByte & 4) == 0;

  const EngineRun asSent =
      RunEngine(*edition, settings, mode, choices.decimalComma, keystrokeTarget, in, false);
  // Unless time ends records, or the run was interrupted by the controls, how the device's
  // bytes were split into reads and ticks must not change what was delivered.
  if (asSent.usedControls || settings.EndOfRecordEvent == kEndTimeGap) return;
  const EngineRun inOneRead =
      RunEngine(*edition, settings, mode, choices.decimalComma, keystrokeTarget, in, true);
  Check(asSent.shown == inOneRead.shown, "the fields shown depend on how the bytes were read");
  Check(asSent.typed == inOneRead.typed, "the keystrokes depend on how the bytes were read");
  Check(asSent.log == inOneRead.log, "the data log depends on how the bytes were read");
  if (settings.TimerInterval == 0 || (settings.TimerFlags & kTimerOnAtStart) == 0)
    Check(asSent.device == inOneRead.device,
          "the device output depends on how the bytes were read");
}

void FuzzCommandLanguage(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // A first byte below 8 chooses the program (bit 0: TCP), virtual mode (bit 1) and
  // keystroke output (bit 2) instead of the log.
  uint8_t options = 0;
  if (!text.empty() && static_cast<unsigned char>(text.front()) < 8) {
    options = static_cast<uint8_t>(text.front());
    text.remove_prefix(1);
  }
  const Edition& edition = EditionOf((options & 1) != 0);
  Settings settings = Settings::Defaults(edition, "/home/fuzz");
  settings.OutputMethod = (options & 4) != 0 ? kSendKeystrokes : kLogToDisk;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  EngineBench bench(edition, settings,
                    (options & 2) != 0 ? ActivationMode::Virtual : ActivationMode::Normal, false,
                    true, kNullDevice);
  FakeClipboard clipboard;
  LinkMenu linkMenu(
      bench.engine().settings(), &clipboard, &bench.fakeLinks,
      {[&] { bench.engine().RequestCommandLink(); }, [&] { bench.engine().RequestBufferLink(); }},
      std::string(edition.programName), bench.engine().ServerTopic());
  CommandServices services{bench.engine(),          edition,      bench.clock,  RegionalOf(false),
                           EnglishStrings(edition), bench.prompt, bench.working};
  services.linkMenu = &linkMenu;
  CommandLanguage commands(services);

  // Lines starting with ">" are device input and lines starting with "=" put a link on the
  // clipboard; every other line is a command.
  while (!text.empty()) {
    const size_t lineEnd = text.find('\n');
    std::string line(text.substr(0, lineEnd));
    text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
    if (!line.empty() && line.front() == '>') {
      bench.port.input.append(line, 1);
    } else if (!line.empty() && line.front() == '=') {
      clipboard.link = line.substr(1);
      clipboard.text = "text";
    } else {
      for (size_t at = line.find("$CONFIG"); at != std::string::npos; at = line.find("$CONFIG"))
        line.replace(at, 7, ConfigPathFor(edition));
      commands.Execute(line);
    }
    // A command may name any configuration file on this machine; whatever it loads, the
    // log must go nowhere.
    bench.engine().settings().LogFilePath = kNullDevice;
    bench.Tick();
  }
}

}  // namespace fenno
