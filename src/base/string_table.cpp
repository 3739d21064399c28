#include "base/string_table.h"

#include <utility>

namespace fenno {
namespace string_data {
std::span<const std::pair<std::string_view, std::string_view>> EmbeddedFiles();
}

namespace {

constexpr std::string_view kTextFileSuffix = ".txt";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The language part of a locale or LANGUAGE entry such as "de_AT.UTF-8@euro".
std::optional<Language> LanguageOfLocaleName(std::string_view name) {
  const std::string_view code = name.substr(0, name.find_first_of("_.@"));
  if (code == "de") return Language::German;
  if (code == "ja") return Language::Japanese;
  if (code == "en") return Language::English;
  return std::nullopt;
}

bool IsPlainLocale(std::string_view name) {
  return name == "C" || name == "POSIX" || StartsWith(name, "C.");
}

// Resolves the escapes of a text; answers false when it holds an unknown one.
bool Unescape(std::string_view text, std::string& out) {
  bool known = true;
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (i + 1 == text.size()) {
      known = false;
      out += '\\';
      break;
    }
    switch (text[++i]) {
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        known = false;
        out += '\\';
        out += text[i];
        break;
    }
  }
  return known;
}

// A positive decimal number of at most nine digits.
std::optional<int> ParseNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number == 0) return std::nullopt;
  return number;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

class FileLister {
 public:
  FileLister(const StringDataFile& file, StringFileListing& listing)
      : file_(file), listing_(listing) {}

  void Run() {
    std::string_view data = file_.contents;
    int lineNumber = 0;
    while (!data.empty()) {
      const size_t end = data.find('\n');
      std::string_view line = data.substr(0, end);
      data = end == std::string_view::npos ? std::string_view() : data.substr(end + 1);
      ++lineNumber;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (IsBlank(line) || line.front() == '#') continue;
      ListLine(line, lineNumber);
    }
  }

 private:
  void ListLine(std::string_view line, int lineNumber) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return Problem(lineNumber, "no tab after the number");
    std::string_view key = line.substr(0, tab);
    std::string_view program;
    if (const size_t at = key.find('@'); at != std::string_view::npos) {
      program = key.substr(at + 1);
      key = key.substr(0, at);
      if (program != ProgramQualifier(EditionKind::Comfenno) &&
          program != ProgramQualifier(EditionKind::Netfenno))
        return Problem(lineNumber, "unknown program \"" + std::string(program) + "\"");
    }
    const std::optional<int> number = ParseNumber(key);
    if (!number) return Problem(lineNumber, "\"" + std::string(key) + "\" is not a number above 0");
    StringEntry entry{file_.name, lineNumber, *number, program, {}};
    if (!Unescape(line.substr(tab + 1), entry.text)) Problem(lineNumber, "unknown escape");
    listing_.entries.push_back(std::move(entry));
  }

  void Problem(int lineNumber, std::string what) {
    listing_.problems.push_back({file_.name, lineNumber, std::move(what)});
  }

  const StringDataFile& file_;
  StringFileListing& listing_;
};

std::vector<StringDataFile> FilesOfLanguage(std::span<const StringDataFile> files,
                                            Language language) {
  std::vector<StringDataFile> chosen;
  for (const StringDataFile& file : files)
    if (LanguageOfFile(file.name) == language) chosen.push_back(file);
  return chosen;
}

}  // namespace

Language LanguageFromEnvironment(const std::function<const char*(const char*)>& getEnv) {
  const auto value = [&getEnv](const char* name) -> std::string_view {
    const char* text = getEnv(name);
    return text ? std::string_view(text) : std::string_view();
  };
  std::string_view locale;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = value(variable);
    if (!locale.empty()) break;
  }
  std::string_view list = value("LANGUAGE");
  if (!list.empty() && !IsPlainLocale(locale)) {
    while (!list.empty()) {
      const size_t colon = list.find(':');
      if (const auto language = LanguageOfLocaleName(list.substr(0, colon))) return *language;
      list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return Language::English;
  }
  return LanguageOfLocaleName(locale).value_or(Language::English);
}

std::string_view LanguageCode(Language language) {
  switch (language) {
    case Language::German:
      return "de";
    case Language::Japanese:
      return "ja";
    case Language::English:
      break;
  }
  return "en";
}

std::optional<Language> LanguageOfFile(std::string_view fileName) {
  if (!EndsWith(fileName, kTextFileSuffix)) return std::nullopt;
  fileName.remove_suffix(kTextFileSuffix.size());
  const size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  const std::string_view code = fileName.substr(dot + 1);
  for (Language language : {Language::English, Language::German, Language::Japanese})
    if (code == LanguageCode(language)) return language;
  return std::nullopt;
}

std::string_view ProgramQualifier(EditionKind edition) {
  return edition == EditionKind::Comfenno ? "comfenno" : "netfenno";
}

std::span<const StringDataFile> EmbeddedStringFiles() {
  static const std::vector<StringDataFile> files = [] {
    std::vector<StringDataFile> list;
    for (const auto& [name, contents] : string_data::EmbeddedFiles())
      list.push_back({name, contents});
    return list;
  }();
  return files;
}

StringFileListing ListStringEntries(std::span<const StringDataFile> files) {
  StringFileListing listing;
  for (const StringDataFile& file : files) {
    if (!LanguageOfFile(file.name))
      listing.problems.push_back({file.name, 0, "the file name gives no known language"});
    FileLister(file, listing).Run();
  }
  return listing;
}

StringTable::StringTable(EditionKind edition, Language language)
    : StringTable(edition, language, EmbeddedStringFiles()) {}

StringTable::StringTable(EditionKind edition, Language language,
                         std::span<const StringDataFile> files)
    : edition_(edition), language_(language) {
  // Areas use separate number ranges, so every file of the language contributes.
  const std::string_view program = ProgramQualifier(edition);
  std::map<int, bool> qualified;
  const std::vector<StringDataFile> chosen = FilesOfLanguage(files, language);
  StringFileListing listing = ListStringEntries(chosen);
  for (StringEntry& entry : listing.entries) {
    if (!entry.program.empty() && entry.program != program) continue;
    if (entry.program.empty() && qualified[entry.number]) continue;
    texts_[entry.number] = std::move(entry.text);
    if (!entry.program.empty()) qualified[entry.number] = true;
  }
}

const std::string& StringTable::Text(int number) const {
  static const std::string kEmpty;
  const auto it = texts_.find(number);
  return it == texts_.end() ? kEmpty : it->second;
}

bool StringTable::Has(int number) const {
  return texts_.count(number) != 0;
}

std::vector<int> StringTable::Numbers() const {
  std::vector<int> numbers;
  numbers.reserve(texts_.size());
  for (const auto& entry : texts_) numbers.push_back(entry.first);
  return numbers;
}

std::string StringTable::Format(int number, std::initializer_list<std::string_view> args) const {
  return FormatText(Text(number), args);
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const char next = pattern[i + 1];
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (next >= '1' && next <= '9') {
        const size_t index = static_cast<size_t>(next - '1');
        if (index < args.size()) out += *(args.begin() + index);
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string WithoutAccelerator(std::string_view caption) {
  std::string out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    const char c = caption[i];
    if (c == '(' && i + 3 < caption.size() && caption[i + 1] == '&' && caption[i + 3] == ')' &&
        static_cast<unsigned char>(caption[i + 2]) < 0x80) {
      // The style of scripts without Latin letters: the key follows in parentheses.
      if (!out.empty() && out.back() == ' ') out.pop_back();
      i += 3;
      continue;
    }
    if (c != '&') {
      out += c;
      continue;
    }
    if (i + 1 < caption.size() && caption[i + 1] == '&') {
      out += '&';
      ++i;
    }
  }
  return out;
}

}  // namespace fenno
