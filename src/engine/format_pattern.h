#pragma once

// What numeric and date/time patterns share: sections separated by ";" and literal text,
// either quoted ("kg") or one character escaped with a backslash (\k).

#include <array>
#include <optional>
#include <string_view>

namespace fenno {

// The sections of a pattern: positive, negative, zero. A fourth section (the classic
// function's section for Null, which never reaches the formatter) and any after it are
// ignored. An empty section stands for the positive one.
struct PatternSections {
  std::array<std::string_view, 3> section;
  int count = 0;
};

// nullopt when a quote is not closed or the pattern ends in a lone backslash.
std::optional<PatternSections> SplitSections(std::string_view pattern);

// When `section[i]` starts a quoted text or an escape, sets `literal` to the text it stands
// for, moves `i` past it and returns true.
bool ReadLiteral(std::string_view section, size_t& i, std::string_view& literal);

// ASCII letters compared without regard to case.
char LowerAscii(char c);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace fenno
