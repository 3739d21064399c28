#pragma once

// Shows values with their kind in test failure messages.

#include <ostream>

#include "expr/value.h"

namespace fenno {

inline void PrintTo(const Value& value, std::ostream* out) {
  // In the order of Value::Kind.
  static const char* const kKindNames[] = {"Empty",  "Double",  "Integer", "Long",
                                           "Single", "Boolean", "Text"};
  *out << kKindNames[static_cast<int>(value.kind())] << " \"" << value.ToText() << "\"";
}

}  // namespace fenno
