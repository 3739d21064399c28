#include "expr/value.h"

#include <utility>

namespace fenno {

Value Value::Text(std::string text) {
  Value value(Kind::Text, 0);
  value.text_ = std::move(text);
  return value;
}

Value Value::Double(double number) {
  return Value(Kind::Double, number);
}
Value Value::Integer(int16_t number) {
  return Value(Kind::Integer, number);
}
Value Value::Long(int32_t number) {
  return Value(Kind::Long, number);
}
Value Value::Single(float number) {
  return Value(Kind::Single, number);
}
Value Value::Boolean(bool flag) {
  return Value(Kind::Boolean, flag ? -1 : 0);
}

std::optional<double> Value::ToNumber() const {
  if (kind_ == Kind::Text) return NumberFromText(text_);
  return number_;
}

std::string Value::ToText() const {
  if (kind_ == Kind::Text) return text_;
  std::string text;
  AppendTextTo(text);
  return text;
}

void Value::AppendNumberTextTo(std::string& out) const {
  switch (kind_) {
    case Kind::Empty:
    case Kind::Text:
      return;
    case Kind::Boolean:
      out += number_ != 0 ? "True" : "False";
      return;
    case Kind::Single:
      AppendSingleText(out, static_cast<float>(number_));
      return;
    case Kind::Double:
    case Kind::Integer:
    case Kind::Long:
      AppendDoubleText(out, number_);
      return;
  }
}

std::string Value::TakeText() {
  if (kind_ != Kind::Text) return ToText();
  kind_ = Kind::Empty;
  std::string text = std::move(text_);
  text_.clear();
  return text;
}

void Value::AppendText(std::string_view bytes) {
  if (kind_ != Kind::Text) {
    text_.clear();
    AppendTextTo(text_);
    kind_ = Kind::Text;
    number_ = 0;
  }
  text_.append(bytes);
}

bool operator==(const Value& a, const Value& b) {
  return a.kind_ == b.kind_ && a.number_ == b.number_ && a.text_ == b.text_;
}

}  // namespace fenno
