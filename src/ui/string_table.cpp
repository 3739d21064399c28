#include "ui/string_table.h"

#include <span>
#include <utility>

namespace fenno {
namespace string_data {
std::span<const std::pair<std::string_view, std::string_view>> EmbeddedFiles();
}

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      default: out += text[i]; break;
    }
  }
  return out;
}

// Lines of "NUMBER<TAB>TEXT" or "NUMBER@program<TAB>TEXT"; blank lines and lines starting
// with # are skipped. An entry qualified with a program's name applies to that program
// only and wins over an unqualified one.
void ParseTable(std::string_view data, std::string_view program, std::map<int, std::string>& texts,
                std::map<int, bool>& qualified) {
  while (!data.empty()) {
    const size_t end = data.find('\n');
    std::string_view line = data.substr(0, end);
    data = end == std::string_view::npos ? std::string_view() : data.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    std::string_view key = line.substr(0, tab);
    std::string_view owner;
    if (const size_t at = key.find('@'); at != std::string_view::npos) {
      owner = key.substr(at + 1);
      key = key.substr(0, at);
    }
    if (!owner.empty() && owner != program) continue;
    int number = 0;
    for (char c : key) {
      if (c < '0' || c > '9') { number = -1; break; }
      number = number * 10 + (c - '0');
    }
    if (number <= 0) continue;
    if (owner.empty() && qualified[number]) continue;
    texts[number] = Unescape(line.substr(tab + 1));
    if (!owner.empty()) qualified[number] = true;
  }
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

Language LanguageFromEnvironment(const std::function<const char*(const char*)>& getEnv) {
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getEnv(variable);
    if (!value || !*value) continue;
    const std::string_view setting(value);
    if (StartsWith(setting, "de")) return Language::German;
    if (StartsWith(setting, "ja")) return Language::Japanese;
    return Language::English;
  }
  return Language::English;
}

std::string_view LanguageCode(Language language) {
  switch (language) {
    case Language::German: return "de";
    case Language::Japanese: return "ja";
    case Language::English: break;
  }
  return "en";
}

StringTable::StringTable(EditionKind edition, Language language)
    : edition_(edition), language_(language) {
  // Every "<area>.<language>.txt" file contributes; areas use separate number ranges.
  const std::string_view program = edition == EditionKind::Comfenno ? "comfenno" : "netfenno";
  const std::string suffix = "." + std::string(LanguageCode(language)) + ".txt";
  std::map<int, bool> qualified;
  for (const auto& [fileName, contents] : string_data::EmbeddedFiles())
    if (EndsWith(fileName, suffix)) ParseTable(contents, program, texts_, qualified);
}

const std::string& StringTable::Text(int number) const {
  static const std::string kEmpty;
  const auto it = texts_.find(number);
  return it == texts_.end() ? kEmpty : it->second;
}

bool StringTable::Has(int number) const { return texts_.count(number) != 0; }

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
      if (next == '%') { out += '%'; ++i; continue; }
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

}  // namespace fenno
