#include "keys/command_words.h"

#include "expr/ascii.h"

namespace fenno {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Appends the quoted part that starts at text[i] (the quote) and returns the index after it.
size_t TakeQuoted(std::string_view text, size_t i, std::string& word) {
  const char quote = text[i++];
  for (; i < text.size() && text[i] != quote; ++i) {
    if (quote == '"' && text[i] == '\\' && i + 1 < text.size() &&
        std::string_view("\"\\$`").find(text[i + 1]) != std::string_view::npos)
      ++i;
    word += text[i];
  }
  return i < text.size() ? i + 1 : i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> words;
  size_t i = 0;
  while (true) {
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    if (i == commandLine.size()) return words;
    std::string word;
    while (i < commandLine.size() && !IsBlank(commandLine[i])) {
      const char c = commandLine[i];
      if (c == '\'' || c == '"') {
        i = TakeQuoted(commandLine, i, word);
      } else {
        if (c == '\\' && i + 1 < commandLine.size()) ++i;
        word += commandLine[i++];
      }
    }
    words.push_back(std::move(word));
  }
}

std::string UpperLatin1(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperLatin1Letter(c);
  return upper;
}

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace fenno
