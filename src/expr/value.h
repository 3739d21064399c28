#pragma once

// The dynamically typed value of a field and of every step of an expression.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/limits.h"
#include "expr/number_text.h"

namespace fenno {

class Value {
 public:
  // Integer is 16-bit, Long 32-bit, Single a 32-bit float; a Boolean counts as -1 or 0.
  enum class Kind { Empty, Double, Integer, Long, Single, Boolean, Text };

  Value() = default;
  static Value Text(std::string text);
  static Value Double(double number);
  static Value Integer(int16_t number);
  static Value Long(int32_t number);
  static Value Single(float number);
  static Value Boolean(bool flag);

  Kind kind() const { return kind_; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  bool IsText() const { return kind_ == Kind::Text; }
  // Double, Integer, Long, Single or Boolean.
  bool IsNumber() const { return kind_ != Kind::Empty && kind_ != Kind::Text; }

  // The number held by a number kind (a Boolean gives -1 or 0); 0 for Empty and Text.
  double number() const { return number_; }

  // As a number: Empty gives 0, text must be a number as a whole (NumberFromText).
  std::optional<double> ToNumber() const;

  // General text form: Empty gives "", Booleans "True" and "False", numbers their shortest
  // form (number_text.h).
  std::string ToText() const;
  void AppendTextTo(std::string& out) const {
    if (kind_ == Kind::Text)
      out += text_;
    else if (kind_ != Kind::Empty)
      AppendNumberTextTo(out);
  }
  // The text itself when the kind is Text, without copying; nullptr otherwise.
  const std::string* TextIfText() const { return kind_ == Kind::Text ? &text_ : nullptr; }

  // The text form; a Text value hands its text over without copying and becomes Empty.
  std::string TakeText();

  // The value becomes text (a number first turns into its text form) and grows by bytes.
  void AppendText(std::string_view bytes);
  // The value becomes this text, reusing the storage it already has.
  void AssignText(std::string_view bytes) {
    kind_ = Kind::Text;
    number_ = 0;
    text_.assign(bytes);
  }
  // The value becomes the text held in `text`, taken without copying; `text` is left
  // empty, with the storage the value had.
  void ExchangeText(std::string& text) {
    kind_ = Kind::Text;
    number_ = 0;
    text_.swap(text);
    text.clear();
  }
  // Back to Empty; the text storage is kept for the next record.
  void Clear() {
    kind_ = Kind::Empty;
    number_ = 0;
    text_.clear();
  }

  friend bool operator==(const Value& a, const Value& b);

 private:
  Value(Kind kind, double number) : kind_(kind), number_(number) {}
  void AppendNumberTextTo(std::string& out) const;

  Kind kind_ = Kind::Empty;
  double number_ = 0;  // every number kind fits a double exactly
  std::string text_;   // used by Text only; kept empty otherwise
};

// The longest text an expression may make. Records are cut at 1 MiB, so only an expression
// adding a field to itself over and over comes near it; beyond it the expression fails
// instead of taking all the memory there is.
inline constexpr size_t kMaxTextBytes = size_t{16} << 20;

// The values of the record being assembled, slots 0 to 42; slots 1 to FieldCount are the
// fields.
using FieldValueSlots = std::array<Value, kFieldSlots>;

}  // namespace fenno
