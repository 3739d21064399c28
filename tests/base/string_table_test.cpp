#include "base/string_table.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/string_ids.h"

namespace fenno {
namespace {

constexpr EditionKind kPrograms[] = {EditionKind::Comfenno, EditionKind::Netfenno};
constexpr Language kLanguages[] = {Language::English, Language::German, Language::Japanese};

// Numbers below this belong to the numbered window and message table; the areas' own
// texts lie above it.
constexpr int kFirstAreaNumber = 10000;

std::string Name(EditionKind program, Language language) {
  return std::string(ProgramQualifier(program)) + "/" + std::string(LanguageCode(language));
}

int Count(std::string_view text, std::string_view part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// The %1 .. %9 placeholders and & accelerator markers a text holds ("%%" and "&&" stand for
// the characters themselves); a translation may reorder them.
std::multiset<std::string> Markers(const std::string& text) {
  static const std::regex marker("%%|&&|%[1-9]|&");
  std::multiset<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), marker), end; it != end; ++it)
    if (it->str() != "%%" && it->str() != "&&") found.insert(it->str());
  return found;
}

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

// Every line is an entry, and no number is defined in two places.
TEST(StringTableData, EveryLineIsAnEntryOfItsOwnNumber) {
  StringFileListing listing = ListStringEntries(EmbeddedStringFiles());
  for (const StringFileProblem& problem : listing.problems)
    ADD_FAILURE() << problem.file << ":" << problem.line << ": " << problem.what;
  // Per language and number, the entries each program would take.
  std::map<std::pair<Language, int>, std::vector<StringEntry>> byNumber;
  for (StringEntry& entry : listing.entries)
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

// Every language has the English numbers, none empty, with the placeholders and accelerators
// the program fills in and the names of its own program only.
TEST(StringTableData, TranslationsMatchTheEnglishTable) {
  for (EditionKind program : kPrograms) {
    const StringTable english(program, Language::English);
    const std::string_view other = program == EditionKind::Comfenno ? "Netfenno" : "Comfenno";
    ASSERT_FALSE(english.Numbers().empty());
    for (Language language : kLanguages) {
      const StringTable table(program, language);
      EXPECT_EQ(table.Numbers(), english.Numbers()) << Name(program, language);
      for (int number : english.Numbers()) {
        const std::string& text = table.Text(number);
        const std::string where = Name(program, language) + " " + std::to_string(number);
        EXPECT_FALSE(text.empty()) << where;
        EXPECT_EQ(Markers(text), Markers(english.Text(number))) << where << ": " << text;
        EXPECT_TRUE(number >= kFirstAreaNumber || Count(text, other) == 0) << where << ": " << text;
      }
      // The analyzer replaces these markers by numbers.
      EXPECT_EQ(Count(table.Text(str::kGuessDelimited), "??"), 1);
      EXPECT_EQ(Count(table.Text(str::kGuessFixedLength), "nn"), 1);
      EXPECT_EQ(Count(table.Text(str::kGuessFixedLength), "xx"), 1);
    }
  }
}

TEST(LanguageFromEnvironment, FollowsTheVariablesInOrder) {
  struct Case {
    std::map<std::string, std::string> environment;
    Language expected;
  };
  const Case cases[] = {
      {{{"LANG", "de_DE.UTF-8"}}, Language::German},
      {{{"LANG", "den_XX"}}, Language::English},
      {{{"LC_ALL", "ja_JP.UTF-8"}, {"LANG", "de_DE.UTF-8"}}, Language::Japanese},
      {{{"LC_MESSAGES", "de_AT@euro"}, {"LANG", "ja_JP.UTF-8"}}, Language::German},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "ja_JP"}, {"LANG", "de_DE"}}, Language::Japanese},
      {{{"LANGUAGE", "de"}, {"LANG", "ja_JP.UTF-8"}}, Language::German},
      {{{"LANGUAGE", "fr::ja:de"}, {"LANG", "en_US.UTF-8"}}, Language::Japanese},
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

// With the arguments "%2" and "b": a filled-in text is not filled in again, and a number
// without an argument gives nothing.
TEST(FormatText, FillsPlaceholders) {
  const std::pair<std::string, std::string> cases[] = {
      {"%1 of %2", "%2 of b"},     {"%2%1", "b%2"},        {"[%3]", "[]"},
      {"100%% done", "100% done"}, {"Alt (%)", "Alt (%)"}, {"ends in %", "ends in %"},
      {"%0 %a", "%0 %a"},
  };
  for (const auto& [pattern, expected] : cases)
    EXPECT_EQ(FormatText(pattern, {"%2", "b"}), expected) << pattern;
  EXPECT_EQ(FormatText("%9!", {"1", "2", "3", "4", "5", "6", "7", "8", "nine"}), "nine!");
}

TEST(WithoutAccelerator, DropsTheMarkerInEveryStyle) {
  const std::pair<std::string, std::string> cases[] = {
      {"&Open", "Open"},         {"入力前の文字変換(&I)...", "入力前の文字変換..."},
      {"開く (&O)", "開く"},     {"Salt && Pepper", "Salt & Pepper"},
      {"ends in &", "ends in "},
  };
  for (const auto& [caption, expected] : cases) EXPECT_EQ(WithoutAccelerator(caption), expected);
}

}  // namespace
}  // namespace fenno
