#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fenno {

// Splits a command line into words as a shell does: blanks separate words, single quotes
// keep everything up to the next single quote, double quotes keep everything up to the
// next double quote except that a backslash there escapes " \ $ and `, and a backslash
// outside quotes keeps the next character. Nothing is expanded. An unclosed quote runs
// to the end of the text.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Latin-1 upper case, as titles are compared.
std::string UpperLatin1(std::string_view text);
// The text without leading and trailing blanks.
std::string_view TrimBlanks(std::string_view text);

}  // namespace fenno
