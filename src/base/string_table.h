#pragma once

// The numbered texts every window and message takes its wording from, in English,
// German or Japanese. Each program has its own table. Texts are UTF-8.
//
// The texts live in data files "<area>.<language>.txt" compiled into the program. Each
// line is "NUMBER<TAB>TEXT", or "NUMBER@comfenno<TAB>TEXT" / "NUMBER@netfenno<TAB>TEXT"
// for a text that belongs to one program only; such a qualified entry wins over an
// unqualified one of the same number. Blank lines and lines starting with # are skipped.
// In TEXT, \r \n \t and \\ stand for CR, LF, tab and a backslash; %1 .. %9 are filled in
// by Format.

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/edition_kind.h"

namespace fenno {

enum class Language { English, German, Japanese };

// Picks the language the way message catalogues are picked. LANGUAGE may hold a
// colon-separated list of languages; its first German, Japanese or English entry decides,
// and a list naming none of them gives English. When LANGUAGE is unset or empty, the
// first of LC_ALL, LC_MESSAGES and LANG that is set and not empty decides: German for
// de*, Japanese for ja*, English otherwise. When that locale variable names the plain
// C or POSIX locale, LANGUAGE is ignored and the result is English.
Language LanguageFromEnvironment(const std::function<const char*(const char*)>& getEnv =
                                     [](const char* name) { return std::getenv(name); });

std::string_view LanguageCode(Language language);  // "en", "de", "ja"

// The language of a data file named "<area>.<code>.txt", if the name has that form and a
// known language code.
std::optional<Language> LanguageOfFile(std::string_view fileName);

// The program name that qualifies an entry meant for one program only.
std::string_view ProgramQualifier(EditionKind edition);  // "comfenno", "netfenno"

struct StringDataFile {
  std::string_view name;  // "<area>.<language>.txt"
  std::string_view contents;
};

// The data files compiled into the program.
std::span<const StringDataFile> EmbeddedStringFiles();

class StringTable {
 public:
  // The table of the program and language from the data files compiled in.
  StringTable(EditionKind edition, Language language);
  // The same from the given data files.
  StringTable(EditionKind edition, Language language, std::span<const StringDataFile> files);

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

// Replaces %1 .. %9 in a pattern; "%%" gives a single "%". A placeholder without an
// argument gives nothing; a "%" followed by anything else stays as it is.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

// A caption without its keyboard accelerator, for places that show a menu text as a title:
// "Pre-&Input" gives "Pre-Input", "ファイル(&F)" gives "ファイル", "&&" gives "&".
std::string WithoutAccelerator(std::string_view caption);

// Every entry of a set of data files, for checking the files themselves.
struct StringEntry {
  std::string_view file;
  int line = 0;  // 1-based
  int number = 0;
  std::string_view program;  // "comfenno", "netfenno", or "" for both programs
  std::string text;          // escapes resolved, placeholders left as they are
};

// A line that is neither blank, a comment nor a valid entry, or a file whose name does
// not give its language. Such a line is skipped when a table is built.
struct StringFileProblem {
  std::string_view file;
  int line = 0;  // 0 for a problem with the file itself
  std::string what;
};

struct StringFileListing {
  std::vector<StringEntry> entries;
  std::vector<StringFileProblem> problems;
};

StringFileListing ListStringEntries(std::span<const StringDataFile> files);

}  // namespace fenno
