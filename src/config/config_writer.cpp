#include <string_view>

#include "config/config_file.h"
#include "config/config_input.h"
#include "config/config_layout.h"
#include "config/config_output.h"
#include "config/config_text_ids.h"

namespace fenno {
namespace {

char TableChar(const std::string& table, int index) {
  const auto at = static_cast<size_t>(index);
  return at < table.size() ? table[at] : '\0';
}

// Formats every item of the current layout.
class LayoutWriter {
 public:
  explicit LayoutWriter(std::string& out) : out_(out) {}

  void Integer(ItemName, const int16_t& value, ValueRange) { NumberLine(value); }
  void Long(ItemName, const int32_t& value, ValueRange) { NumberLine(value); }
  void Flag(ItemName, const bool& value) { NumberLine(value ? -1 : 0); }
  void CharCode(ItemName, const char& value) { NumberLine(static_cast<unsigned char>(value)); }
  void TableCode(ItemName name, const std::string& table, int index) {
    CharCode(name, TableChar(table, index));
  }
  void Filler(int32_t value) { NumberLine(value); }
  void Text(ItemName, const std::string& value) { Line(value); }
  void ListItem(ItemName, const std::string& value) { Line(value); }
  void KeystrokeEntry(ItemName, const std::string& value) { Line(value); }
  void PreInputEntry(ItemName, const std::string& value) {
    if (IsPreInputWord(value)) return Line(value);
    const int code = value.empty() ? 0 : static_cast<unsigned char>(value.front());
    Line(" " + std::to_string(code));
  }
  void RawLength(ItemName, const std::string& text) {
    NumberLine(static_cast<int64_t>(text.size()));
  }
  void RawText(ItemName, const std::string& text) { out_ += text; }
  void TailText(ItemName, const std::string& value) { Line(value); }
  void TailNumber(ItemName, const int32_t& value) { Line(std::to_string(value)); }

 private:
  // " 6 " for 6, "-1 " for -1.
  void NumberLine(int64_t value) {
    if (value >= 0) out_ += ' ';
    out_ += std::to_string(value);
    out_ += " \r\n";
  }
  void Line(std::string_view text) {
    out_ += text;
    out_ += "\r\n";
  }

  std::string& out_;
};

// Finds the first item that would not read back as it is: a line break in a line, a comma
// or leading space in a list item, a number the reader refuses, a file beyond what the
// reader accepts.
class StorableCheck {
 public:
  const std::optional<UnstorableSetting>& problem() const { return problem_; }

  void Integer(ItemName name, const int16_t& value, ValueRange range) {
    Number(name, value, range);
  }
  void Long(ItemName name, const int32_t& value, ValueRange range) { Number(name, value, range); }
  void Flag(ItemName name, const bool&) { Count(name, 0); }
  void CharCode(ItemName name, const char&) { Count(name, 0); }
  void TableCode(ItemName name, const std::string& table, int index) {
    if (index == 0 && table.size() != kTableSize) Report({name.base}, str::kUnstorableValue);
    Count(name, 0);
  }
  void Filler(int32_t) {}
  void Text(ItemName name, const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) Report(name, str::kLineBreakInSetting);
    Count(name, value.size());
  }
  void ListItem(ItemName name, const std::string& value) {
    Text(name, value);
    if (value.find(',') != std::string::npos || value.starts_with(' '))
      Report(name, str::kUnstorableValue);
  }
  void KeystrokeEntry(ItemName name, const std::string& value) { Text(name, value); }
  void PreInputEntry(ItemName name, const std::string& value) {
    if (value.size() != 1 && !IsPreInputWord(value)) Report(name, str::kUnstorableValue);
    Count(name, 0);
  }
  void RawLength(ItemName name, const std::string&) { Count(name, 0); }
  void RawText(ItemName name, const std::string& text) {
    if (!kRawLengthRange.Contains(static_cast<int64_t>(text.size())))
      Report(name, str::kUnstorableValue);
    Count(name, text.size());
  }
  void TailText(ItemName name, const std::string& value) { Text(name, value); }
  void TailNumber(ItemName name, const int32_t&) { Count(name, 0); }

 private:
  static constexpr uint64_t kLineOverhead = 16;  // more than any number line or line end needs

  void Number(ItemName name, int64_t value, ValueRange range) {
    if (!range.Contains(value)) Report(name, str::kUnstorableValue);
    Count(name, 0);
  }
  void Count(ItemName name, uint64_t size) {
    total_ += size + kLineOverhead;
    if (total_ > kMaxConfigFileBytes) Report(name, str::kUnstorableValue);
  }
  void Report(ItemName name, int textId) {
    if (!problem_) problem_ = UnstorableSetting{ItemNameText(name), textId};
  }

  std::optional<UnstorableSetting> problem_;
  uint64_t total_ = 0;
};

}  // namespace

std::optional<UnstorableSetting> FindUnstorableSetting(const Settings& settings,
                                                       const Edition& edition) {
  StorableCheck check;
  WalkConfigLayout<ConfigLayout::Current>(settings, edition, check);
  return check.problem();
}

std::string ConfigFileBytes(const Settings& settings, const Edition& edition) {
  std::string out;
  out += edition.currentHeader;
  out += "\r\n";
  LayoutWriter writer(out);
  WalkConfigLayout<ConfigLayout::Current>(settings, edition, writer);
  return out;
}

bool WriteConfigFile(const std::string& path, const Settings& settings, const Edition& edition,
                     const StringTable& strings, Prompt& prompt) {
  if (path.empty()) return false;
  const std::string title(edition.programName);
  if (const auto problem = FindUnstorableSetting(settings, edition)) {
    prompt.Beep();
    prompt.Show({strings.Format(problem->textId, {problem->name}), title, PromptButtons::Ok,
                 PromptIcon::Exclamation});
    return false;
  }
  if (!ReplaceFileContents(path, ConfigFileBytes(settings, edition))) {
    prompt.Beep();
    prompt.Show({strings.Text(str::kFileIoError), title, PromptButtons::Ok, PromptIcon::Plain});
    return false;
  }
  return true;
}

}  // namespace fenno
