#pragma once

// The numbered texts every window and message takes its wording from, in English,
// German or Japanese. Each program has its own table. Texts are UTF-8.

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "config/edition.h"

namespace fenno {

enum class Language { English, German, Japanese };

// Picks the language from LANGUAGE, LC_ALL, LC_MESSAGES and LANG, in that order (the
// first one set and not empty decides): German for de*, Japanese for ja*, English
// otherwise. LANGUAGE may hold a colon-separated list; its first entry counts.
Language LanguageFromEnvironment(
    const std::function<const char*(const char*)>& getEnv = [](const char* name) {
      return std::getenv(name);
    });

std::string_view LanguageCode(Language language);  // "en", "de", "ja"

class StringTable {
 public:
  StringTable(EditionKind edition, Language language);

  // The text of a number, or "" when the table has none.
  const std::string& Text(int number) const;
  // The text with %1 .. %9 replaced by the arguments.
  std::string Format(int number, std::initializer_list<std::string_view> args) const;
  bool Has(int number) const;
  std::vector<int> Numbers() const;
  Language language() const { return language_; }
  EditionKind edition() const { return edition_; }

 private:
  EditionKind edition_;
  Language language_;
  std::map<int, std::string> texts_;
};

// Replaces %1 .. %9 in a pattern; "%%" gives a single "%".
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace fenno
