#pragma once

// Shows values with their kind in test failure messages.

#include <ostream>

#include "expr/value.h"

namespace fenno {

inline const char* KindName(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::Empty:
      return "Empty";
    case Value::Kind::Double:
      return "Double";
    case Value::Kind::Integer:
      return "Integer";
    case Value::Kind::Long:
      return "Long";
    case Value::Kind::Single:
      return "Single";
    case Value::Kind::Boolean:
      return "Boolean";
    case Value::Kind::Text:
      return "Text";
  }
  return "?";
}

inline void PrintTo(const Value& value, std::ostream* out) {
  *out << KindName(value.kind()) << " \"" << value.ToText() << "\"";
}

}  // namespace fenno
