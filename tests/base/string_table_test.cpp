#include "base/string_table.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/string_ids.h"

namespace fenno {
namespace {

constexpr EditionKind kPrograms[] = {EditionKind::Comfenno, EditionKind::Netfenno};
constexpr Language kTranslations[] = {Language::German, Language::Japanese};
constexpr Language kLanguages[] = {Language::English, Language::German, Language::Japanese};

// Numbers below this belong to the numbered window and message table; the areas' own
// texts lie above it.
constexpr int kFirstAreaNumber = 10000;

std::string Name(EditionKind program, Language language) {
  return std::string(ProgramQualifier(program)) + "/" + std::string(LanguageCode(language));
}

const StringTable& Table(EditionKind program, Language language) {
  static std::map<std::pair<EditionKind, Language>, StringTable> tables;
  const auto key = std::make_pair(program, language);
  auto it = tables.find(key);
  if (it == tables.end()) it = tables.emplace(key, StringTable(program, language)).first;
  return it->second;
}

int Count(std::string_view text, std::string_view part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// The %1 .. %9 placeholders of a text; a translation may reorder them.
std::multiset<char> Placeholders(std::string_view text) {
  std::multiset<char> found;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] >= '1' && text[i + 1] <= '9') found.insert(text[i + 1]);
    ++i;
  }
  return found;
}

int Accelerators(std::string_view text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (i + 1 < text.size() && text[i + 1] == '&')
      ++i;
    else
      ++count;
  }
  return count;
}

// --- The loader, on data files of its own ---

TEST(StringTableLoading, EntriesEscapesAndProgramQualifiers) {
  const StringDataFile files[] = {
      {"a.en.txt",
       "# comment\n\n1\tPlain\r\n2\tTab\\there \\\\ and\\r\\n\n3@netfenno\tNet only\n"
       "4\tBoth\n4@comfenno\tCom wins\n6\tTrailing \n7\tFile %1, line %2"},
      {"b.en.txt", "5@netfenno\tNet first\n5\tAnyone\n"},
      {"a.de.txt", "1\tSchlicht\n"},
  };
  const StringTable com(EditionKind::Comfenno, Language::English, files);
  const StringTable net(EditionKind::Netfenno, Language::English, files);
  struct Case {
    int number;
    std::optional<std::string> comfenno, netfenno;
  };
  const Case cases[] = {
      {1, "Plain", "Plain"},         {2, "Tab\there \\ and\r\n", "Tab\there \\ and\r\n"},
      {3, std::nullopt, "Net only"}, {4, "Com wins", "Both"},
      {5, "Anyone", "Net first"},    {6, "Trailing ", "Trailing "},
  };
  for (const Case& c : cases) {
    for (const auto& [table, expected] :
         {std::pair(&com, c.comfenno), std::pair(&net, c.netfenno)}) {
      SCOPED_TRACE(std::string(ProgramQualifier(table->edition())) + " " +
                   std::to_string(c.number));
      EXPECT_EQ(table->Has(c.number), expected.has_value());
      EXPECT_EQ(table->Text(c.number), expected.value_or(""));
    }
  }
  EXPECT_EQ(com.Format(7, {"a.txt", "12"}), "File a.txt, line 12");
  EXPECT_EQ(StringTable(EditionKind::Comfenno, Language::German, files).Numbers(),
            std::vector<int>{1});
  EXPECT_TRUE(StringTable(EditionKind::Comfenno, Language::Japanese, files).Numbers().empty());
}

TEST(StringTableLoading, ReportsLinesAndFilesItCannotUse) {
  const StringDataFile files[] = {
      {"a.en.txt",
       "1\tfine\nno tab here\nx1\tnot a number\n0\tzero\n7@comfeno\ttypo\n8\tbad \\q escape\n"
       "   \n9\tlast"},
      {"notes.fr.txt", "1\tun\n"},
  };
  const StringFileListing listing = ListStringEntries(files);
  std::set<std::pair<std::string, int>> problems;
  for (const StringFileProblem& problem : listing.problems)
    problems.emplace(std::string(problem.file), problem.line);
  const std::set<std::pair<std::string, int>> expected = {{"a.en.txt", 2}, {"a.en.txt", 3},
                                                          {"a.en.txt", 4}, {"a.en.txt", 5},
                                                          {"a.en.txt", 6}, {"notes.fr.txt", 0}};
  EXPECT_EQ(problems, expected);
  // Good lines around bad ones are still taken; so is the text with the unknown escape.
  std::vector<std::pair<int, int>> entries;
  for (const StringEntry& entry : listing.entries)
    if (entry.file == "a.en.txt") entries.emplace_back(entry.line, entry.number);
  EXPECT_EQ(entries, (std::vector<std::pair<int, int>>{{1, 1}, {6, 8}, {8, 9}}));
}

// --- The data files compiled into the programs, all areas together ---

TEST(StringTableData, EveryLineOfEveryFileIsAnEntry) {
  for (const StringFileProblem& problem : ListStringEntries(EmbeddedStringFiles()).problems)
    ADD_FAILURE() << problem.file << ":" << problem.line << ": " << problem.what;
}

TEST(StringTableData, EveryLanguageHasTheNumbersOfTheEnglishTable) {
  for (EditionKind program : kPrograms) {
    const StringTable& english = Table(program, Language::English);
    const std::vector<int> numbers = english.Numbers();
    ASSERT_FALSE(numbers.empty());
    for (Language language : kLanguages) {
      const StringTable& table = Table(program, language);
      EXPECT_EQ(table.Numbers(), numbers) << Name(program, language);
      for (int number : table.Numbers())
        if (english.Has(number) && table.Text(number).empty())
          ADD_FAILURE() << Name(program, language) << " " << number << " is empty";
    }
  }
}

TEST(StringTableData, NoNumberIsDefinedInTwoPlaces) {
  // Per language and number, the entries each program would take.
  std::map<std::pair<Language, int>, std::vector<StringEntry>> byNumber;
  for (StringEntry& entry : ListStringEntries(EmbeddedStringFiles()).entries)
    byNumber[{*LanguageOfFile(entry.file), entry.number}].push_back(std::move(entry));
  for (const auto& [key, entries] : byNumber) {
    for (EditionKind program : kPrograms) {
      std::set<std::string_view> files;
      std::map<std::string_view, int> perQualifier;
      for (const StringEntry& entry : entries) {
        if (!entry.program.empty() && entry.program != ProgramQualifier(program)) continue;
        files.insert(entry.file);
        ++perQualifier[entry.program];
      }
      const std::string where = Name(program, key.first) + " " + std::to_string(key.second);
      EXPECT_LE(files.size(), 1u) << where << " is defined in more than one file";
      for (const auto& [qualifier, count] : perQualifier)
        EXPECT_EQ(count, 1) << where << " is defined " << count << " times";
    }
  }
}

TEST(StringTableData, TextsNameTheirOwnProgram) {
  for (Language language : kLanguages) {
    for (EditionKind program : kPrograms) {
      const std::string_view other = program == EditionKind::Comfenno ? "Netfenno" : "Comfenno";
      const StringTable& table = Table(program, language);
      for (int number : table.Numbers())
        if (number < kFirstAreaNumber && Count(table.Text(number), other) != 0)
          ADD_FAILURE() << Name(program, language) << " " << number << ": " << table.Text(number);
    }
  }
}

TEST(StringTableData, TranslationsKeepWhatTheProgramFillsIn) {
  for (EditionKind program : kPrograms) {
    const StringTable& english = Table(program, Language::English);
    for (Language language : kTranslations) {
      const StringTable& table = Table(program, language);
      for (int number : english.Numbers()) {
        const std::string& original = english.Text(number);
        const std::string& text = table.Text(number);
        const std::string where = Name(program, language) + " " + std::to_string(number);
        EXPECT_EQ(Placeholders(text), Placeholders(original)) << where << ": " << text;
        EXPECT_EQ(Accelerators(text), Accelerators(original)) << where << ": " << text;
      }
      // The analyzer replaces these markers by numbers.
      EXPECT_EQ(Count(table.Text(str::kGuessDelimited), "??"), 1);
      EXPECT_EQ(Count(table.Text(str::kGuessFixedLength), "nn"), 1);
      EXPECT_EQ(Count(table.Text(str::kGuessFixedLength), "xx"), 1);
    }
  }
}

// --- Choosing the language ---

TEST(LanguageFromEnvironment, FollowsTheVariablesInOrder) {
  struct Case {
    std::map<std::string, std::string> environment;
    Language expected;
  };
  const Case cases[] = {
      {{}, Language::English},
      {{{"LANG", "de_DE.UTF-8"}}, Language::German},
      {{{"LANG", "fr_FR.UTF-8"}}, Language::English},
      {{{"LANG", "den_XX"}}, Language::English},
      {{{"LC_ALL", "ja_JP.UTF-8"}, {"LANG", "de_DE.UTF-8"}}, Language::Japanese},
      {{{"LC_MESSAGES", "de_AT@euro"}, {"LANG", "ja_JP.UTF-8"}}, Language::German},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "ja_JP"}, {"LANG", "de_DE"}}, Language::Japanese},
      {{{"LANGUAGE", "de"}, {"LANG", "ja_JP.UTF-8"}}, Language::German},
      {{{"LANGUAGE", "fr:ja:de"}, {"LANG", "en_US.UTF-8"}}, Language::Japanese},
      {{{"LANGUAGE", ":de"}, {"LANG", "en_US.UTF-8"}}, Language::German},
      {{{"LANGUAGE", "fr"}, {"LANG", "de_DE.UTF-8"}}, Language::English},
      {{{"LANGUAGE", "de"}, {"LC_ALL", "C"}}, Language::English},
      {{{"LANGUAGE", "ja"}, {"LANG", "C.UTF-8"}}, Language::English},
  };
  for (const Case& c : cases) {
    const auto getEnv = [&c](const char* name) -> const char* {
      const auto it = c.environment.find(name);
      return it == c.environment.end() ? nullptr : it->second.c_str();
    };
    std::string description;
    for (const auto& [name, value] : c.environment) description += name + "=" + value + " ";
    EXPECT_EQ(LanguageFromEnvironment(getEnv), c.expected) << description;
  }
}

// --- Filling in and showing texts ---

TEST(FormatText, FillsPlaceholders) {
  struct Case {
    std::string pattern;
    std::vector<std::string> args;
    std::string expected;
  };
  const Case cases[] = {
      {"%1 of %2", {"3", "5"}, "3 of 5"},
      {"%2%1", {"a", "b"}, "ba"},
      {"%9!", {"1", "2", "3", "4", "5", "6", "7", "8", "nine"}, "nine!"},
      {"[%3]", {"a", "b"}, "[]"},
      {"%1", {"%2"}, "%2"},
      {"100%% done", {}, "100% done"},
      {"Alt (%)", {}, "Alt (%)"},
      {"ends in %", {}, "ends in %"},
      {"%0 %a", {"x"}, "%0 %a"},
  };
  for (const Case& c : cases) {
    // Two arguments, or nine where fewer are given as empty ones.
    std::vector<std::string> a = c.args;
    a.resize(9);
    EXPECT_EQ(c.args.size() == 2
                  ? FormatText(c.pattern, {a[0], a[1]})
                  : FormatText(c.pattern, {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]}),
              c.expected)
        << c.pattern;
  }
}

TEST(WithoutAccelerator, DropsTheMarkerInEveryStyle) {
  const std::pair<std::string, std::string> cases[] = {
      {"&Open", "Open"},
      {"Pre-&Input Character Translations...", "Pre-Input Character Translations..."},
      {"入力前の文字変換(&I)...", "入力前の文字変換..."},
      {"開く (&O)", "開く"},
      {"Ö&ffnen", "Öffnen"},
      {"Salt && Pepper", "Salt & Pepper"},
      {"No marker", "No marker"},
      {"ends in &", "ends in "},
  };
  for (const auto& [caption, expected] : cases) EXPECT_EQ(WithoutAccelerator(caption), expected);
}

}  // namespace
}  // namespace fenno
