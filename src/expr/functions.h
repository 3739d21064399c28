#pragma once

// The built-in one-argument functions of the expression language.
//
// Functions that take text use the argument's text form; functions that take numbers need
// a number (text that is not a number fails, Empty counts as 0). lcase and ucase change
// the case of Latin-1 letters (expr/ascii.h); ltrim, rtrim and trim remove spaces only.
// abs, fix and int keep the kind of a number argument (a Boolean gives an Integer, and a
// result that no longer fits moves to the next wider kind).

#include <string_view>

#include "expr/operators.h"
#include "expr/random_sequence.h"
#include "expr/value.h"

namespace fenno {

struct FunctionContext {
  const FieldValueSlots& fields;
  RandomSequence& random;
};

using BuiltinFunction = Outcome (*)(Value argument, FunctionContext& context);

// The function of that name, in any letter case; nullptr for an unknown name.
BuiltinFunction FindBuiltinFunction(std::string_view name);

}  // namespace fenno
