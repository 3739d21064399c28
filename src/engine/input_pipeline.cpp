#include "engine/input_pipeline.h"

#include <algorithm>
#include <bit>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fenno {
namespace {

constexpr unsigned char kCarriageReturn = 13;
constexpr unsigned char kSpace = 32;
constexpr int kLastSlot = kMaxFields + 1;  // bytes beyond the last field collect here

}  // namespace

FramingMode FramingModeFor(int16_t endOfRecordEvent, int16_t recordStructure) {
  if (endOfRecordEvent == kEndByteCount) return FramingMode::FixedByByteCount;
  if (endOfRecordEvent == kEndTimeGap) {
    if (recordStructure == kDelimitedFields) return FramingMode::DelimitedByTimeGap;
    if (recordStructure == kFixedLengthFields) return FramingMode::FixedByTimeGap;
    return FramingMode::SingleFieldByTimeGap;
  }
  if (recordStructure == kDelimitedFields) return FramingMode::DelimitedByEndChar;
  if (recordStructure == kFixedLengthFields) return FramingMode::FixedByEndChar;
  return FramingMode::SingleFieldByEndChar;
}

bool IsNumericStartChar(unsigned char b, char decimalSeparator) {
  return (b >= '0' && b <= '9') || b == '-' || b == static_cast<unsigned char>(decimalSeparator);
}

FieldFilterTable::FieldFilterTable(const Settings& settings,
                                   const std::array<bool, kTableSize>& preTransferDrops,
                                   char decimalSeparator) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  for (int b = 0; b < kTableSize; ++b) {
    const char c = static_cast<char>(b);
    tables_[kPlain][b] = preTransferDrops[b] ? Entry{} : Entry{{c, 0}, 1};
    tables_[kIgnore][b] = Entry{};
    tables_[kNumeric][b] = IsNumericStartChar(static_cast<unsigned char>(b), decimalSeparator)
                               ? Entry{{c, 0}, 1}
                               : Entry{};
    tables_[kBinaryToHex][b] = Entry{{kHexDigits[b >> 4], kHexDigits[b & 15]}, 2};
  }
  for (int field = 0; field < kFieldSlots; ++field) {
    const std::string filter = field <= kMaxFields ? settings.FieldFilter[field] : std::string();
    const char letter = filter.empty() ? 'C' : filter.front();
    kindOfField_[field] = letter == 'I'   ? kIgnore
                          : letter == 'N' ? kNumeric
                          : letter == 'B' ? kBinaryToHex
                                          : kPlain;
  }
}

InputPipeline::InputPipeline(const Settings& settings, RecordSink& sink)
    : settings_(settings), sink_(sink) {}

void InputPipeline::Activate(const std::array<bool, kTableSize>& preTransferDrops,
                             char decimalSeparator) {
  decimalSeparator_ = decimalSeparator;
  filters_ = FieldFilterTable(settings_, preTransferDrops, decimalSeparator);
  for (int b = 0; b < kTableSize; ++b) {
    const std::string& entry = settings_.PreInputTranslation[b];
    uint16_t action = static_cast<uint16_t>(b);
    if (entry == kIgnoreEntry)
      action = kIgnoredByte;
    else if (entry == kVoidRecordEntry)
      action |= kVoidingByte;
    else if (!entry.empty())
      action = static_cast<unsigned char>(entry.front());
    if (b == kCarriageReturn && settings_.FlowControl == kFlowOptoRs)
      action |= kOptoRsCarriageReturn;
    byteAction_[b] = action;
    startCharSet_[b] = false;
  }
  for (char c : settings_.StartOfRecordChars) startCharSet_[static_cast<unsigned char>(c)] = true;
  DeriveFraming();
  ResetFraming();
  ClearFieldValues();
  // A fresh activation starts outside any record.
  VoidRecord = false;
  OptoRsQueryPending = false;
  LastWasSpace = false;
  oversizeSeen_ = false;
  oversizeReported_ = false;
}

void InputPipeline::DeriveFraming() {
  delimiter_ = static_cast<unsigned char>(settings_.Delimiter);
  fieldCount_ = settings_.FieldCount;
  recordLength_ = settings_.RecordLength;
  timeGap_ = static_cast<uint8_t>(
      std::clamp<int16_t>(settings_.RecordTimeGap, kMinRecordTimeGap, kMaxRecordTimeGap));
  fieldLengths_.fill(0);
  for (int field = 1; field <= kMaxFields; ++field)
    fieldLengths_[field] = settings_.FieldLength[field];
  Mode = FramingModeFor(settings_.EndOfRecordEvent, settings_.RecordStructure);
  const bool endsByChar = Mode == FramingMode::SingleFieldByEndChar ||
                          Mode == FramingMode::DelimitedByEndChar ||
                          Mode == FramingMode::FixedByEndChar;
  EndOfRecordSet.clear();
  if (endsByChar) {
    EndOfRecordSet = settings_.EndOfRecordEvent == kEndSpecial ? settings_.EndOfRecordChars
                                                               : std::string(1, '\r');
  }
  endCharSet_.fill(false);
  for (char c : EndOfRecordSet) endCharSet_[static_cast<unsigned char>(c)] = true;
  DeriveOrdinaryBytes();
}

void InputPipeline::ResetFraming() {
  CurrentField = 1;
  FieldCharCount = 0;
  RecordCharCount = 0;
  IdleTicks = 0;
  InRecord = false;
  recordBytes_ = 0;
}

void InputPipeline::ClearFieldValues() {
  for (int slot = 0; slot <= highestSlot_; ++slot) FieldValues[static_cast<size_t>(slot)].clear();
  highestSlot_ = 1;
}

// The helpers of the per-byte path are inline so that FeedBytes runs as one tight loop.

inline bool InputPipeline::PassesStartFilter(unsigned char b) const {
  switch (settings_.StartOfRecordEvent) {
    case kStartAlphaNumeric:
      return b >= 32 && b <= 126;
    case kStartNumeric:
      return IsNumericStartChar(b, decimalSeparator_);
    case kStartSpecial:
      return startCharSet_[b];
    default:
      return true;
  }
}

// An ordinary byte that starts a record is framed as the first byte of its run: outside a
// record it would only be appended too.
inline bool InputPipeline::StartsRun(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (!ordinaryByte_[b] || !PassesStartFilter(b)) return false;
  InRecord = true;
  return true;
}

inline void InputPipeline::AppendToField(int slot, unsigned char b) {
  filters_.Append(CurrentField, b, FieldValues[static_cast<size_t>(slot)]);
  ++recordBytes_;
}

inline void InputPipeline::NextField() {
  if (++CurrentField > kLastSlot) CurrentField = kLastSlot;
  if (CurrentField > highestSlot_) highestSlot_ = CurrentField;
}

inline void InputPipeline::CountFixedFieldByte() {
  if (++FieldCharCount != fieldLengths_[static_cast<size_t>(CurrentField)]) return;
  NextField();
  FieldCharCount = 0;
}

bool InputPipeline::FeedByte(unsigned char received) {
  const uint16_t action = byteAction_[received];
  if (action & kOptoRsCarriageReturn) HandleOptoRsCarriageReturn();
  if (action & kIgnoredByte) {
    LastWasSpace = received == kSpace;
    return false;
  }
  const bool voiding = (action & kVoidingByte) != 0;
  if (voiding && InRecord) VoidRecord = true;
  const auto b = static_cast<unsigned char>(action & 0xFF);

  bool endTick = false;
  if (InRecord || PassesStartFilter(b)) {
    InRecord = true;
    if (voiding) VoidRecord = true;
    endTick = Frame(b);
  }
  LastWasSpace = b == kSpace;
  return endTick;
}

size_t InputPipeline::FeedBytes(std::string_view bytes, bool& endTick) {
  size_t i = 0;
  while (i < bytes.size()) {
    if (runsAllowed_ && filters_.IsPlain(CurrentField) && (InRecord || StartsRun(bytes[i]))) {
      i += AppendOrdinaryRun(bytes.substr(i));
      if (recordBytes_ > kMaxRecordBytes && EndOversizeRecord()) {
        endTick = true;
        return i;
      }
      if (i == bytes.size()) break;
      // The run ended at a byte that is not ordinary. The end character of a plain field
      // ends the record here, as the byte path would; any other byte goes that path.
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (InRecord && endsRun_[b]) {
        ++i;
        filters_.Append(CurrentField, b, FieldValues[static_cast<size_t>(CurrentField)]);
        CurrentField = 1;
        const bool ended = EndRecord();
        LastWasSpace = b == kSpace;
        if (ended) {
          endTick = true;
          return i;
        }
        continue;
      }
    }
    if (FeedByte(static_cast<unsigned char>(bytes[i++]))) {
      endTick = true;
      return i;
    }
  }
  return bytes.size();
}

size_t InputPipeline::AppendOrdinaryRun(std::string_view bytes) {
  // A run may take the body one byte past the guard, which then ends the record.
  const size_t room = kMaxRecordBytes + 1 - std::min(recordBytes_, kMaxRecordBytes + 1);
  const size_t length = OrdinaryRunLength(reinterpret_cast<const unsigned char*>(bytes.data()),
                                          std::min(bytes.size(), room));
  if (length == 0) return 0;
  const int slot = Mode == FramingMode::SingleFieldByTimeGap ? 1 : CurrentField;
  FieldValues[static_cast<size_t>(slot)].append(bytes.data(), length);
  recordBytes_ += length;
  LastWasSpace = bytes[length - 1] == kSpace;
  if (Mode != FramingMode::SingleFieldByEndChar && Mode != FramingMode::DelimitedByEndChar)
    IdleTicks = 0;
  return length;
}

size_t InputPipeline::OrdinaryRunLength(const unsigned char* data, size_t limit) const {
  size_t length = 0;
#if defined(__SSE2__)
  if (stopCount_ == 0) return limit;
  if (stopCount_ <= kMaxStopBytes) {
    // Sixteen bytes a test against each stopping byte (unused slots repeat the first).
    const __m128i stop0 = _mm_set1_epi8(static_cast<char>(stopBytes_[0]));
    const __m128i stop1 = _mm_set1_epi8(static_cast<char>(stopBytes_[1]));
    const __m128i stop2 = _mm_set1_epi8(static_cast<char>(stopBytes_[2]));
    const __m128i stop3 = _mm_set1_epi8(static_cast<char>(stopBytes_[3]));
    for (; length + 16 <= limit; length += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + length));
      const __m128i hits =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, stop0), _mm_cmpeq_epi8(block, stop1)),
                       _mm_or_si128(_mm_cmpeq_epi8(block, stop2), _mm_cmpeq_epi8(block, stop3)));
      if (const int mask = _mm_movemask_epi8(hits); mask != 0)
        return length + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(mask)));
    }
  }
#endif
  const bool* ordinary = ordinaryByte_.data();
  // Eight bytes a test while they are all ordinary, then byte by byte.
  for (; length + 8 <= limit; length += 8) {
    const unsigned char* p = data + length;
    if (!(ordinary[p[0]] & ordinary[p[1]] & ordinary[p[2]] & ordinary[p[3]] & ordinary[p[4]] &
          ordinary[p[5]] & ordinary[p[6]] & ordinary[p[7]]))
      break;
  }
  while (length < limit && ordinary[data[length]]) ++length;
  return length;
}

void InputPipeline::DeriveOrdinaryBytes() {
  // Runs cover the modes where a byte is either appended to the current field, or is a
  // delimiter, or ends the record.
  runsAllowed_ =
      Mode == FramingMode::SingleFieldByEndChar || Mode == FramingMode::DelimitedByEndChar ||
      Mode == FramingMode::SingleFieldByTimeGap || Mode == FramingMode::DelimitedByTimeGap;
  const bool delimiterIsData = Mode == FramingMode::SingleFieldByTimeGap ||
                               (Mode != FramingMode::DelimitedByTimeGap && fieldCount_ < 2);
  for (int b = 0; b < kTableSize; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    ordinaryByte_[b] = byteAction_[b] == b && filters_.PlainKeeps(byte) && !endCharSet_[b] &&
                       (byte != delimiter_ || delimiterIsData);
  }
  const bool endsByChar =
      Mode == FramingMode::SingleFieldByEndChar || Mode == FramingMode::DelimitedByEndChar;
  for (int b = 0; b < kTableSize; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    endsRun_[b] = endsByChar && byteAction_[b] == b && endCharSet_[b] &&
                  (byte != delimiter_ || fieldCount_ < 2);
  }
  stopCount_ = 0;
  for (int b = 0; b < kTableSize; ++b) {
    if (ordinaryByte_[b]) continue;
    if (stopCount_ < kMaxStopBytes) stopBytes_[stopCount_] = static_cast<unsigned char>(b);
    ++stopCount_;
  }
  for (size_t k = std::min(stopCount_, kMaxStopBytes); k < kMaxStopBytes; ++k)
    stopBytes_[k] = stopBytes_[0];
}

void InputPipeline::HandleOptoRsCarriageReturn() {
  if (!OptoRsQueryPending) {
    sink_.QueueOutput("?\r");
    OptoRsQueryPending = true;
  } else {
    if (InRecord) VoidRecord = true;
    OptoRsQueryPending = false;
  }
}

bool InputPipeline::Frame(unsigned char b) {
  if (const std::optional<bool> endTick = FrameByMode(b)) return *endTick;
  if (recordBytes_ <= kMaxRecordBytes) return false;
  return EndOversizeRecord();
}

bool InputPipeline::EndOversizeRecord() {
  oversizeSeen_ = true;
  CurrentField = 1;
  FieldCharCount = 0;
  RecordCharCount = 0;
  return EndRecord();
}

std::optional<bool> InputPipeline::FrameByMode(unsigned char b) {
  switch (Mode) {
    case FramingMode::SingleFieldByTimeGap:
      IdleTicks = 0;
      AppendToField(1, b);
      return std::nullopt;
    case FramingMode::FixedByByteCount:
      AppendToField(CurrentField, b);
      ++RecordCharCount;
      CountFixedFieldByte();
      if (RecordCharCount != recordLength_) return std::nullopt;
      CurrentField = 1;
      RecordCharCount = 0;
      // Field lengths that do not add up to the record length must not shift the
      // fields of the next record.
      FieldCharCount = 0;
      return EndRecord();
    case FramingMode::DelimitedByTimeGap:
      IdleTicks = 0;
      if (b != delimiter_)
        AppendToField(CurrentField, b);
      else if (!(b == kSpace && LastWasSpace))
        NextField();
      return std::nullopt;
    case FramingMode::FixedByTimeGap:
      IdleTicks = 0;
      AppendToField(CurrentField, b);
      CountFixedFieldByte();
      return std::nullopt;
    case FramingMode::FixedByEndChar:
      AppendToField(CurrentField, b);
      CountFixedFieldByte();
      if (!IsEndChar(b)) return std::nullopt;
      FieldCharCount = 0;
      CurrentField = 1;
      return EndRecord();
    case FramingMode::SingleFieldByEndChar:
    case FramingMode::DelimitedByEndChar:
      return FrameEndChar(b);
  }
  return std::nullopt;
}

std::optional<bool> InputPipeline::FrameEndChar(unsigned char b) {
  if (b != delimiter_ || fieldCount_ < 2) {
    // In single-field records the delimiter is data; an end character still ends the
    // record, whatever the delimiter is.
    AppendToField(CurrentField, b);
    if (!IsEndChar(b)) return std::nullopt;
  } else {
    if (!(b == kSpace && LastWasSpace)) NextField();
    if (CurrentField <= fieldCount_ || !IsEndChar(b)) return std::nullopt;
  }
  CurrentField = 1;
  return EndRecord();
}

bool InputPipeline::TimeGapCheck() {
  if (settings_.EndOfRecordEvent != kEndTimeGap || !InRecord) return false;
  if (IdleTicks < timeGap_) return false;
  CurrentField = 1;
  RecordCharCount = 0;
  FieldCharCount = 0;
  return EndRecord();
}

bool InputPipeline::EndRecord() {
  recordBytes_ = 0;
  InRecord = false;
  LastWasSpace = false;
  return sink_.ProcessRecord();
}

}  // namespace fenno
