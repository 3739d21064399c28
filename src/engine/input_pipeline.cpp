#include "engine/input_pipeline.h"

#include <optional>

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
    tables_[kNumeric][b] =
        IsNumericStartChar(static_cast<unsigned char>(b), decimalSeparator) ? Entry{{c, 0}, 1} : Entry{};
    tables_[kBinaryToHex][b] = Entry{{kHexDigits[b >> 4], kHexDigits[b & 15]}, 2};
  }
  for (int field = 0; field < kFieldSlots; ++field) {
    const std::string filter = field <= kMaxFields ? settings.FieldFilter[field] : std::string();
    const char letter = filter.empty() ? 'C' : filter.front();
    kindOfField_[field] = letter == 'I' ? kIgnore : letter == 'N' ? kNumeric
                        : letter == 'B' ? kBinaryToHex : kPlain;
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
    if (entry == kIgnoreEntry) preInput_[b] = kIgnoreCode;
    else if (entry == kVoidRecordEntry) preInput_[b] = kVoidCode;
    else preInput_[b] = entry.empty() ? static_cast<int16_t>(b) : static_cast<unsigned char>(entry.front());
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
  Mode = FramingModeFor(settings_.EndOfRecordEvent, settings_.RecordStructure);
  const bool endsByChar = Mode == FramingMode::SingleFieldByEndChar ||
                          Mode == FramingMode::DelimitedByEndChar || Mode == FramingMode::FixedByEndChar;
  EndOfRecordSet.clear();
  if (endsByChar) {
    EndOfRecordSet = settings_.EndOfRecordEvent == kEndSpecial ? settings_.EndOfRecordChars
                                                               : std::string(1, '\r');
  }
  endCharSet_.fill(false);
  for (char c : EndOfRecordSet) endCharSet_[static_cast<unsigned char>(c)] = true;
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
  for (std::string& value : FieldValues) value.clear();
}

bool InputPipeline::TakeOversizeRecordNotice() {
  if (!oversizeSeen_ || oversizeReported_) return false;
  oversizeReported_ = true;
  return true;
}

bool InputPipeline::PassesStartFilter(unsigned char b) const {
  switch (settings_.StartOfRecordEvent) {
    case kStartAlphaNumeric: return b >= 32 && b <= 126;
    case kStartNumeric: return IsNumericStartChar(b, decimalSeparator_);
    case kStartSpecial: return startCharSet_[b];
    default: return true;
  }
}

bool InputPipeline::FeedByte(unsigned char received) {
  if (received == kCarriageReturn && settings_.FlowControl == kFlowOptoRs) {
    if (!OptoRsQueryPending) {
      sink_.QueueOutput("?\r");
      OptoRsQueryPending = true;
    } else {
      if (InRecord) VoidRecord = true;
      OptoRsQueryPending = false;
    }
  }

  const int16_t translated = preInput_[received];
  if (translated == kIgnoreCode) {
    LastWasSpace = received == kSpace;
    return false;
  }
  const bool voiding = translated == kVoidCode;
  if (voiding && InRecord) VoidRecord = true;
  const unsigned char b = voiding ? received : static_cast<unsigned char>(translated);

  bool endTick = false;
  if (InRecord || PassesStartFilter(b)) {
    InRecord = true;
    if (voiding) VoidRecord = true;
    endTick = Frame(b);
  }
  LastWasSpace = b == kSpace;
  return endTick;
}

void InputPipeline::AppendToField(int slot, unsigned char b) {
  filters_.Append(CurrentField, b, FieldValues[static_cast<size_t>(slot)]);
  ++recordBytes_;
}

void InputPipeline::NextField() {
  if (++CurrentField > kLastSlot) CurrentField = kLastSlot;
}

int16_t InputPipeline::FieldLengthOf(int field) const {
  return field >= 1 && field <= kMaxFields ? settings_.FieldLength[static_cast<size_t>(field)] : 0;
}

bool InputPipeline::Frame(unsigned char b) {
  if (const std::optional<bool> endTick = FrameByMode(b)) return *endTick;
  if (recordBytes_ < kMaxRecordBytes || Mode == FramingMode::FixedByByteCount) return false;
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
      if (RecordCharCount != settings_.RecordLength) return std::nullopt;
      CurrentField = 1;
      RecordCharCount = 0;
      // Field lengths that do not add up to the record length must not shift the
      // fields of the next record.
      FieldCharCount = 0;
      return EndRecord();
    case FramingMode::DelimitedByTimeGap:
      IdleTicks = 0;
      if (b != static_cast<unsigned char>(settings_.Delimiter)) AppendToField(CurrentField, b);
      else if (!(b == kSpace && LastWasSpace)) NextField();
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

void InputPipeline::CountFixedFieldByte() {
  if (++FieldCharCount != FieldLengthOf(CurrentField)) return;
  NextField();
  FieldCharCount = 0;
}

std::optional<bool> InputPipeline::FrameEndChar(unsigned char b) {
  const bool isDelimiter = b == static_cast<unsigned char>(settings_.Delimiter);
  if (!isDelimiter || settings_.FieldCount < 2) {
    AppendToField(CurrentField, b);
    // A delimiter that is data (single-field records) does not end the record.
    if (isDelimiter || !IsEndChar(b)) return std::nullopt;
  } else {
    if (!(b == kSpace && LastWasSpace)) NextField();
    if (CurrentField <= settings_.FieldCount || !IsEndChar(b)) return std::nullopt;
  }
  CurrentField = 1;
  return EndRecord();
}

bool InputPipeline::TimeGapCheck() {
  if (settings_.EndOfRecordEvent != kEndTimeGap || !InRecord) return false;
  if (IdleTicks != static_cast<uint8_t>(settings_.RecordTimeGap)) return false;
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
