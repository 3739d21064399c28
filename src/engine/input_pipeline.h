#pragma once

// The per-byte input pipeline: Opto-RS rule, pre-input translation, start-of-record
// filter, and the framing rule that appends each byte to a field and decides where the
// record ends. Plain C++; the engine drives it from its tick.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "expr/value.h"

namespace fenno {

// What the pipeline needs from its owner at the end of a record and for the Opto-RS
// query. ProcessRecord answers true when the tick must end at once.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual bool ProcessRecord() = 0;
  virtual void QueueOutput(std::string_view text) = 0;
};

// The framing rule, derived from the end-of-record event and the record structure.
enum class FramingMode : int16_t {
  SingleFieldByEndChar = 0,
  SingleFieldByTimeGap = 1,
  DelimitedByEndChar = 2,
  FixedByByteCount = 3,
  DelimitedByTimeGap = 4,
  FixedByTimeGap = 5,
  FixedByEndChar = 6,
};

FramingMode FramingModeFor(int16_t endOfRecordEvent, int16_t recordStructure);

// FilterChar for every field, worked out once at activation: for each byte what to
// append to the field being filled (empty, the byte, or two hex digits).
class FieldFilterTable {
 public:
  FieldFilterTable() = default;
  // preTransferDrops[b]: the pre-transfer table turns b into the NUL character, so
  // keystroke and DDE modes drop it as it arrives (log mode keeps every byte).
  FieldFilterTable(const Settings& settings, const std::array<bool, kTableSize>& preTransferDrops,
                   char decimalSeparator);
  // Appends FilterChar(b) for field `field` (1..41) to `out`.
  void Append(int field, unsigned char b, std::string& out) const {
    const Entry& entry = tables_[kindOfField_[static_cast<size_t>(field)]][b];
    if (entry.length == 1)
      out.push_back(entry.text[0]);
    else if (entry.length != 0)
      out.append(entry.text, entry.length);
  }
  // The field keeps every byte its filter does not drop, unchanged ("C", "H", "O").
  bool IsPlain(int field) const { return kindOfField_[static_cast<size_t>(field)] == kPlain; }
  // The plain filter keeps this byte as it is.
  bool PlainKeeps(unsigned char b) const { return tables_[kPlain][b].length == 1; }

 private:
  struct Entry {
    char text[2] = {0, 0};
    uint8_t length = 0;
  };
  enum Kind : uint8_t { kPlain, kIgnore, kNumeric, kBinaryToHex, kKinds };
  std::array<std::array<Entry, kTableSize>, kKinds> tables_{};
  std::array<uint8_t, kFieldSlots> kindOfField_{};
};

// The character set that starts a record under start event 2 ("1234567890-" and the
// decimal separator).
bool IsNumericStartChar(unsigned char b, char decimalSeparator);

class InputPipeline {
 public:
  // Record bodies larger than this are ended as if their end event had come, in every
  // framing mode: a device (or an end event) that never ends a record must not grow memory
  // without limit. A body of exactly this size still ends at its own end.
  static constexpr size_t kMaxRecordBytes = 1 << 20;

  InputPipeline(const Settings& settings, RecordSink& sink);

  // Activation: framing from the settings, translation and filter tables, empty state.
  void Activate(const std::array<bool, kTableSize>& preTransferDrops, char decimalSeparator);
  // Counts ticks without input up to 255 and stays there, so a gap whose tick was missed
  // still ends the record at the next check.
  void IdleTick() {
    if (IdleTicks < UINT8_MAX) ++IdleTicks;
  }
  // Feeds one byte; answers true when ProcessRecord ended the tick.
  bool FeedByte(unsigned char b);
  // Feeds bytes until all are used or ProcessRecord ends the tick (then `endTick` is
  // set); answers how many were used.
  size_t FeedBytes(std::string_view bytes, bool& endTick);
  // Called when a read found nothing; answers true when ProcessRecord ended the tick.
  bool TimeGapCheck();

  // The value of slot 0..42 of the record being assembled (framing writes 1..41).
  const std::string& FieldValue(int slot) const { return FieldValues[static_cast<size_t>(slot)]; }
  // Moves the value of a slot the framing wrote into `to` without copying its bytes; the
  // slot keeps `to`'s old storage, emptied.
  void HandOverFieldValue(int slot, Value& to) {
    to.ExchangeText(FieldValues[static_cast<size_t>(slot)]);
  }
  // The highest slot written since the values were last emptied.
  int HighestSlot() const { return highestSlot_; }
  // The field the next byte goes to (1..41).
  int CurrentFieldNumber() const { return CurrentField; }
  // A record has started and not yet ended.
  bool InsideRecord() const { return InRecord; }
  // A voiding byte (or an Opto-RS reply) came in the record: it is not delivered.
  bool RecordIsVoid() const { return VoidRecord; }
  // The record is done with (delivered, or void): its values are emptied.
  void DropRecord() {
    ClearFieldValues();
    VoidRecord = false;
  }
  // The record being assembled is thrown away (reset, or its connection ended): framing
  // starts again from the first field.
  void AbandonRecord() {
    ResetFraming();
    DropRecord();
  }

  // True once per activation when a record was ended by the size limit rather than by
  // its configured end; the engine reports that once.
  bool TakeOversizeRecordNotice() {
    if (!oversizeSeen_ || oversizeReported_) return false;
    oversizeReported_ = true;
    return true;
  }

 private:
  void DeriveFraming();
  void ResetFraming();
  // Empties every slot the framing may have written.
  void ClearFieldValues();
  void HandleOptoRsCarriageReturn();
  void DeriveOrdinaryBytes();
  // Appends the run of ordinary bytes at the start of `bytes`; answers its length.
  size_t AppendOrdinaryRun(std::string_view bytes);
  // How many of the first `limit` bytes at `data` are ordinary.
  size_t OrdinaryRunLength(const unsigned char* data, size_t limit) const;
  bool EndOversizeRecord();
  bool Frame(unsigned char b);
  // Each answers, when the byte ended the record, whether the tick must end.
  std::optional<bool> FrameByMode(unsigned char b);
  std::optional<bool> FrameEndChar(unsigned char b);
  void CountFixedFieldByte();
  bool EndRecord();
  void AppendToField(int slot, unsigned char b);
  void NextField();
  bool PassesStartFilter(unsigned char b) const;
  // Outside a record: whether `c` starts one and begins a run (InRecord is then set).
  bool StartsRun(char c);
  bool IsEndChar(unsigned char b) const { return endCharSet_[b]; }

  // The values of the record being assembled, slots 0..42, and the framing state.
  std::array<std::string, kFieldSlots> FieldValues;
  FramingMode Mode = FramingMode::SingleFieldByEndChar;
  std::string EndOfRecordSet;
  int16_t CurrentField = 1;
  // Wide enough for any record the size guard lets through, so they never wrap.
  int32_t FieldCharCount = 0;
  int32_t RecordCharCount = 0;
  uint8_t IdleTicks = 0;
  bool InRecord = false;
  bool VoidRecord = false;
  bool OptoRsQueryPending = false;
  bool LastWasSpace = false;

  const Settings& settings_;
  RecordSink& sink_;
  FieldFilterTable filters_;
  std::array<bool, kTableSize> endCharSet_{};
  std::array<bool, kTableSize> startCharSet_{};
  // What to do with each received byte: the low 8 bits are the byte after pre-input
  // translation, the flags mark the rarer cases.
  static constexpr uint16_t kIgnoredByte = 0x100;
  static constexpr uint16_t kVoidingByte = 0x200;
  static constexpr uint16_t kOptoRsCarriageReturn = 0x400;
  std::array<uint16_t, kTableSize> byteAction_{};
  // Bytes that, inside a record of a plain field, are only appended: no translation, no
  // delimiter, no end of record, kept by the filter. Runs of them are appended at once.
  std::array<bool, kTableSize> ordinaryByte_{};
  bool runsAllowed_ = false;
  // End characters that only end the record (no translation, flag or delimiter role):
  // when one stops a run, the record ends without the byte-by-byte path.
  std::array<bool, kTableSize> endsRun_{};
  // The bytes that are not ordinary, when they are few (the end character, an ignored or
  // translated byte): runs are then found sixteen bytes at a time where the processor can.
  // stopCount_ counts them all; beyond kMaxStopBytes the table above finds the runs.
  static constexpr size_t kMaxStopBytes = 4;
  std::array<unsigned char, kMaxStopBytes> stopBytes_{};
  size_t stopCount_ = kTableSize;
  char decimalSeparator_ = '.';
  // Settings read for every byte, copied at activation so the hot path stays in cache.
  unsigned char delimiter_ = ',';
  int16_t fieldCount_ = 1;
  int16_t recordLength_ = 0;  // 0 or less: records end only at the size guard
  uint8_t timeGap_ = 3;       // RecordTimeGap within 1..255
  std::array<int16_t, kFieldSlots> fieldLengths_{};  // 0 beyond the defined fields
  size_t recordBytes_ = 0;
  int highestSlot_ = kFieldSlots - 1;
  bool oversizeSeen_ = false;
  bool oversizeReported_ = false;
};

}  // namespace fenno
