#include "engine/record_preview.h"

#include <algorithm>
#include <array>

#include "engine/field_completion.h"
#include "engine/input_pipeline.h"

namespace fenno {
namespace {

constexpr std::array<std::string_view, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

// Collects the records the pipeline ends, completed as the engine completes them.
class PreviewSink final : public RecordSink {
 public:
  PreviewSink(const Settings& settings, const WorkingValues& working,
              const RegionalSettings& regional, size_t maxRecords, RecordPreview& preview)
      : settings_(settings),
        completion_(settings, working, regional),
        maxRecords_(maxRecords),
        preview_(preview) {}

  void Attach(InputPipeline& pipeline) { pipeline_ = &pipeline; }
  FieldCompletion& completion() { return completion_; }
  bool Full() const { return preview_.rows.size() >= maxRecords_; }

  bool ProcessRecord() override {
    if (pipeline_->RecordIsVoid()) {
      pipeline_->DropRecord();
      return Full();
    }
    const int lastSlot = std::max(pipeline_->HighestSlot(), static_cast<int>(settings_.FieldCount));
    for (int slot = 1; slot <= lastSlot; ++slot) {
      Value& value = values_[static_cast<size_t>(slot)];
      if (pipeline_->FieldValue(slot).empty())
        value.Clear();
      else
        pipeline_->HandOverFieldValue(slot, value);
    }
    pipeline_->DropRecord();
    std::array<bool, kFieldSlots> failures{};
    completion_.CompleteFields(values_, &failures);
    std::vector<std::string>& row = preview_.rows.emplace_back();
    for (int field = 1; field <= settings_.FieldCount; ++field) {
      std::string text;
      values_[static_cast<size_t>(field)].AppendTextTo(text);
      row.push_back(std::move(text));
      if (failures[static_cast<size_t>(field)])
        preview_.failed[static_cast<size_t>(field - 1)] = true;
    }
    for (int slot = 1; slot <= lastSlot; ++slot) values_[static_cast<size_t>(slot)].Clear();
    return Full();
  }
  void QueueOutput(std::string_view /*text*/) override {}  // nothing goes to a device

 private:
  const Settings& settings_;
  FieldCompletion completion_;
  size_t maxRecords_;
  RecordPreview& preview_;
  InputPipeline* pipeline_ = nullptr;
  FieldValueSlots values_;
};

}  // namespace

RecordPreview PreviewRecords(const Settings& settings, const WorkingValues& working,
                             const RegionalSettings& regional, std::string_view sample,
                             size_t maxRecords) {
  RecordPreview preview;
  preview.fieldCount = std::clamp<int>(settings.FieldCount, 0, kMaxFields);
  preview.failed.assign(static_cast<size_t>(preview.fieldCount), false);
  if (maxRecords == 0) return preview;

  PreviewSink sink(settings, working, regional, maxRecords, preview);
  InputPipeline pipeline(settings, sink);
  sink.Attach(pipeline);
  // As the engine activates: the output method's translation decides what is dropped.
  const std::array<std::string, kTableSize> table = PreTransferTableFor(settings);
  const bool dropsControl = settings.OutputMethod != kLogToDisk;
  std::array<bool, kTableSize> drops{};
  for (int code = 0; code < kTableSize; ++code)
    drops[code] = dropsControl && table[code] == std::string(1, '\0');
  pipeline.Activate(drops, regional.decimalSeparator);
  sink.completion().SetPreTransferTable(table, dropsControl);

  bool full = false;
  while (!sample.empty() && !full) {
    const size_t used = pipeline.FeedBytes(sample, full);
    sample.remove_prefix(used);
    full = full || sink.Full() || used == 0;
  }
  if (!full && settings.EndOfRecordEvent == kEndTimeGap && pipeline.InsideRecord()) {
    for (int tick = 0; tick <= settings.RecordTimeGap; ++tick) pipeline.IdleTick();
    pipeline.TimeGapCheck();
  }
  return preview;
}

std::string VisibleControls(std::string_view text) {
  std::string visible;
  visible.reserve(text.size());
  for (char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32) {
      visible += '<';
      visible += kControlNames[code];
      visible += '>';
    } else if (code == 127) {
      visible += "<DEL>";
    } else {
      visible += c;
    }
  }
  return visible;
}

}  // namespace fenno
