#pragma once

// Finishing the fields of a record once it has ended, in field order: the hexadecimal
// or octal conversion, the math expression, the format, and the pre-transfer
// translation. A later field's expression therefore sees earlier fields finished and
// later ones as they arrived.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "engine/regional.h"
#include "expr/evaluator.h"
#include "expr/value.h"

namespace fenno {

// Reads a field as a hexadecimal (base 16) or octal (base 8) number the way the field
// filters "H" and "O" do: leading spaces skipped, digits read up to the first other
// character, 0 when none. Up to four hex digits (or octal up to 177777) are a 16-bit
// value, so FFFF is -1; longer numbers are 32-bit. Nothing when the number does not fit
// in 32 bits.
std::optional<Value> ConvertRadixField(std::string_view text, int base);

class FieldCompletion {
 public:
  FieldCompletion(const Settings& settings, const WorkingValues& working,
                  const RegionalSettings& regional);

  // The pre-transfer table of the output method, built at activation.
  void SetPreTransferTable(const std::array<std::string, kTableSize>& table, bool dropNul);
  // `failures`, when given, marks the fields whose expression or format failed (the field
  // then holds what a failure leaves: the empty expression value, or the unformatted one).
  void CompleteFields(FieldValueSlots& values, std::array<bool, kFieldSlots>* failures = nullptr);

  // The pattern a field format stands for: a display name of a named format in the user's
  // language is handed on as the named format's own name.
  std::string PatternFor(const std::string& fieldFormat) const;

 private:
  void Convert(int field, Value& value) const;
  // False when the format could not be applied.
  bool ApplyFormat(int field, Value& value) const;
  void Translate(Value& value) const;

  const Settings& settings_;
  const WorkingValues& working_;
  const RegionalSettings& regional_;
  ExpressionEvaluator evaluator_;
  std::array<std::string, kTableSize> preTransfer_;
  bool identityTable_ = true;
};

// What the pre-transfer translation of the output method turns each byte into ("NUL" of
// the keystroke table stands for the NUL character).
std::array<std::string, kTableSize> PreTransferTableFor(const Settings& settings);

// Formats one value with a pattern; nothing when the pattern cannot be applied.
std::optional<std::string> FormatValue(const Value& value, std::string_view pattern,
                                       const RegionalSettings& regional);

}  // namespace fenno
