#include "engine/field_completion.h"

#include <cstdint>

#include "engine/formatter.h"

namespace fenno {
namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

std::optional<Value> ConvertRadixField(std::string_view text, int base) {
  size_t pos = text.find_first_not_of(' ');
  if (pos == std::string_view::npos) return Value::Integer(0);
  uint64_t number = 0;
  int digits = 0;
  for (; pos < text.size() && DigitValue(text[pos]) < base; ++pos, ++digits) {
    number = number * static_cast<uint64_t>(base) + static_cast<uint64_t>(DigitValue(text[pos]));
    if (number > 0xFFFFFFFFull) return std::nullopt;
  }
  // Short numbers are 16-bit quantities as the instrument sent them: FFFF is -1.
  const bool sixteenBit = base == 16 ? digits <= 4 : number <= 0177777;
  if (sixteenBit) return Value::Integer(static_cast<int16_t>(static_cast<uint16_t>(number)));
  return Value::Long(static_cast<int32_t>(static_cast<uint32_t>(number)));
}

std::optional<std::string> FormatValue(const Value& value, std::string_view pattern,
                                       const RegionalSettings& regional) {
  switch (value.kind()) {
    case Value::Kind::Empty:
      return std::string();
    case Value::Kind::Text:
      return FormatText(*value.TextIfText(), pattern, regional);
    case Value::Kind::Boolean:
      return FormatBoolean(value.number() != 0, pattern, regional);
    default:
      return FormatNumber(value.number(), pattern, regional);
  }
}

FieldCompletion::FieldCompletion(const Settings& settings, const WorkingValues& working,
                                 const RegionalSettings& regional)
    : settings_(settings), working_(working), regional_(regional) {}

void FieldCompletion::SetPreTransferTable(const std::array<std::string, kTableSize>& table,
                                          bool dropNul) {
  identityTable_ = true;
  for (int code = 0; code < kTableSize; ++code) {
    const std::string& entry = table[code];
    // Keystroke and item values cannot carry a NUL: a character mapped to it is dropped.
    preTransfer_[code] = (dropNul && entry == std::string(1, '\0')) ? std::string() : entry;
    if (preTransfer_[code] != std::string(1, static_cast<char>(code))) identityTable_ = false;
  }
}

std::string FieldCompletion::PatternFor(const std::string& fieldFormat) const {
  for (int k = 1; k <= kNamedFormats; ++k)
    if (!working_.FormatDisplayNames[k].empty() && fieldFormat == working_.FormatDisplayNames[k])
      return FixedFormatNames()[k];
  return fieldFormat;
}

void FieldCompletion::CompleteFields(FieldValueSlots& values,
                                     std::array<bool, kFieldSlots>* failures) {
  for (int field = 1; field <= settings_.FieldCount; ++field) {
    Value& value = values[static_cast<size_t>(field)];
    Convert(field, value);
    bool failed = false;
    if (!settings_.FieldMathExpr[field].empty())
      failed = !evaluator_.Evaluate(settings_.FieldMathExpr[field], values, field);
    failed |= !ApplyFormat(field, value);
    if (failures && failed) (*failures)[static_cast<size_t>(field)] = true;
    // Nothing to translate in a text through the identity table, as most fields are.
    if (!identityTable_ || !value.IsText()) Translate(value);
  }
}

void FieldCompletion::Convert(int field, Value& value) const {
  const std::string& filter = settings_.FieldFilter[field];
  if (filter.size() != 1) return;
  const int base = filter[0] == 'H' ? 16 : filter[0] == 'O' ? 8 : 0;
  if (base == 0) return;
  // A number too large for 32 bits leaves the field as it came.
  if (std::optional<Value> number = ConvertRadixField(value.ToText(), base)) value = *number;
}

bool FieldCompletion::ApplyFormat(int field, Value& value) const {
  const std::string& format = settings_.FieldFormat[field];
  if (format.empty()) return true;
  // A pattern the formatter cannot apply leaves the value as it was.
  std::optional<std::string> text = FormatValue(value, PatternFor(format), regional_);
  if (!text) return false;
  value.AssignText(*text);
  return true;
}

std::array<std::string, kTableSize> PreTransferTableFor(const Settings& settings) {
  std::array<std::string, kTableSize> table;
  for (int code = 0; code < kTableSize; ++code) {
    switch (settings.OutputMethod) {
      case kSendKeystrokes: {
        const std::string& entry = settings.KeystrokeTranslation[code];
        table[code] = entry == kNulEntry ? std::string(1, '\0') : entry;
        break;
      }
      case kDdeServer:
        table[code] = std::string(1, settings.DdeTranslation[static_cast<size_t>(code)]);
        break;
      default:
        table[code] = std::string(1, settings.LogTranslation[static_cast<size_t>(code)]);
        break;
    }
  }
  return table;
}

void FieldCompletion::Translate(Value& value) const {
  if (identityTable_ && value.IsText()) return;
  std::string text = value.TakeText();
  if (!identityTable_) {
    std::string translated;
    translated.reserve(text.size());
    for (char c : text) translated += preTransfer_[static_cast<unsigned char>(c)];
    text.swap(translated);
  }
  value.AssignText(text);
}

}  // namespace fenno
