#include "config/config_file.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "config/config_input.h"
#include "config/config_layout.h"
#include "config/config_text_ids.h"

namespace fenno {
namespace {

// Longer number items are damage, not numbers (the longest a Long needs is 11 characters).
constexpr size_t kMaxNumberItem = 32;
// The InterCharDelay line is read leniently; anything this long is not a delay.
constexpr size_t kMaxTailNumberLine = 64;

// A decimal integer with an optional sign and nothing else.
bool ParseInteger(std::string_view text, int64_t& value) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    if (magnitude > kAnyLong.max) return false;  // beyond any range, and kept from overflowing
    magnitude = magnitude * 10 + (c - '0');
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

// The leading decimal number of a text after leading spaces ("65", " 65abc"); false when the
// text does not start with one.
bool ParseLeadingInteger(std::string_view text, int64_t& value) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return false;
  text.remove_prefix(start);
  size_t end = (text.front() == '-' || text.front() == '+') ? 1 : 0;
  while (end < text.size() && end <= kMaxNumberItem && text[end] >= '0' && text[end] <= '9') ++end;
  return ParseInteger(text.substr(0, end), value);
}

// The delay line holds whole milliseconds, but older tools may have written a fraction: it
// is rounded to the nearest whole number. Anything unreadable gives the default 1.
int32_t ParseDelayLine(std::string_view text) {
  int64_t whole = 0;
  if (!ParseLeadingInteger(text, whole)) return 1;
  const size_t point = text.find_first_not_of(" +-0123456789");
  if (point != std::string_view::npos && text[point] == '.' && point + 1 < text.size() &&
      text[point + 1] >= '5' && text[point + 1] <= '9')
    whole += text.find('-') < point ? -1 : 1;
  return kAnyLong.Contains(whole) ? static_cast<int32_t>(whole) : 1;
}

std::optional<ConfigLayout> LayoutOfHeader(std::string_view line, const Edition& edition) {
  if (line == edition.currentHeader) return ConfigLayout::Current;
  if (line == edition.oldHeader) return ConfigLayout::Old;
  return std::nullopt;
}

size_t LongestHeader(const Edition& edition) {
  return std::max(edition.currentHeader.size(), edition.oldHeader.size());
}

// Parses every item of the layout into a record. After the first failure it stops reading
// and leaves the record alone; the caller then throws the record away.
class LayoutReader {
 public:
  explicit LayoutReader(ConfigInput& input) : input_(input) {}
  bool ok() const { return ok_; }

  void Integer(ItemName, int16_t& value, ValueRange range) {
    if (int64_t n = 0; Number(range, n)) value = static_cast<int16_t>(n);
  }
  void Long(ItemName, int32_t& value, ValueRange range) {
    if (int64_t n = 0; Number(range, n)) value = static_cast<int32_t>(n);
  }
  void Flag(ItemName, bool& value) {
    if (int64_t n = 0; Number(kAnyInteger, n)) value = n != 0;
  }
  void CharCode(ItemName, char& value) {
    if (int64_t n = 0; Number(kCharCodeRange, n)) value = static_cast<char>(n);
  }
  void TableCode(ItemName name, std::string& table, int index) {
    if (index == 0) table.assign(kTableSize, '\0');
    CharCode(name, table[static_cast<size_t>(index)]);
  }
  void Filler(int32_t) {
    int64_t ignored = 0;
    Number(kAnyLong, ignored);
  }
  void Text(ItemName, std::string& value) { Line(value); }
  void ListItem(ItemName, std::string& value) {
    if (ok_) ok_ = input_.ReadListItem(value);
  }
  void KeystrokeEntry(ItemName, std::string& value) {
    // "{ }" is how a space is written in key macros; the table keeps the plain space.
    if (Line(value) && value == "{ }") value.assign(1, ' ');
  }
  void PreInputEntry(ItemName, std::string& value);
  void DelimiterChar(ItemName, char& value) {
    if (ok_) ok_ = input_.ReadByte(value);
    if (ok_) input_.SkipRestOfLine();
  }
  void RawLength(ItemName, std::string& text) {
    if (int64_t n = 0; Number(kRawLengthRange, n)) rawLengths_[&text] = static_cast<uint64_t>(n);
  }
  void RawText(ItemName, std::string& text) {
    if (ok_) ok_ = input_.ReadBytes(rawLengths_.at(&text), text);
  }
  void InlineRaw(ItemName, std::string& text) {
    if (int64_t n = 0; Number(kRawLengthRange, n))
      ok_ = input_.ReadBytes(static_cast<uint64_t>(n), text);
  }
  // The last two lines may be missing: DDETopic then keeps its value, InterCharDelay is 1.
  void TailText(ItemName, std::string& value) {
    if (std::string line; ok_ && input_.ReadLine(line)) value = std::move(line);
  }
  void TailNumber(ItemName, int32_t& value) {
    if (!ok_) return;
    std::string line;
    value = input_.ReadLine(line, kMaxTailNumberLine) ? ParseDelayLine(line) : 1;
  }

 private:
  bool Number(ValueRange range, int64_t& value) {
    std::string item;
    ok_ = ok_ && input_.ReadItem(item, kMaxNumberItem) && ParseInteger(item, value);
    if (ok_ && range.clamped) value = std::clamp(value, range.min, range.max);
    ok_ = ok_ && range.Contains(value);
    return ok_;
  }
  bool Line(std::string& value) {
    ok_ = ok_ && input_.ReadLine(value);
    return ok_;
  }

  ConfigInput& input_;
  bool ok_ = true;
  std::map<const std::string*, uint64_t> rawLengths_;
};

void LayoutReader::PreInputEntry(ItemName, std::string& value) {
  std::string line;
  if (!Line(line)) return;
  if (IsPreInputWord(line)) {
    value = line;
    return;
  }
  // The entry is the decimal prefix of the line: a line that does not begin with a number
  // is code 0, while a number beyond the character codes refuses the file.
  int64_t code = 0;
  const size_t first = line.find_first_not_of(" +-");
  const bool leadsWithDigits =
      first != std::string::npos && line[first] >= '0' && line[first] <= '9';
  if (ParseLeadingInteger(line, code))
    ok_ = kCharCodeRange.Contains(code);
  else
    ok_ = !leadsWithDigits;
  if (ok_) value = std::string(1, static_cast<char>(code));
}

template <ConfigLayout L>
bool ReadLayout(ConfigInput& input, Settings& settings, const Edition& edition) {
  LayoutReader reader(input);
  WalkConfigLayout<L>(settings, edition, reader);
  return reader.ok();
}

}  // namespace

HeaderCheck InspectConfigHeader(const std::string& path, const Edition& edition) {
  if (path.empty()) return {HeaderStatus::NameEmpty, 0};
  ConfigInput input(path);
  if (!input.IsOpen()) return {HeaderStatus::Unreadable, 0};
  std::string header;
  const bool gotHeader = input.ReadLine(header, LongestHeader(edition));
  std::string item;
  int64_t portIndex = -1;
  const bool valid = gotHeader && LayoutOfHeader(header, edition) &&
                     input.ReadItem(item, kMaxNumberItem) && ParseInteger(item, portIndex) &&
                     kPortIndexRange.Contains(portIndex);
  if (input.Failed()) return {HeaderStatus::Unreadable, 0};
  if (!valid) return {HeaderStatus::NotAConfigFile, 0};
  return {HeaderStatus::Ok, static_cast<int>(portIndex)};
}

int CheckConfigHeader(const std::string& path, const Edition& edition, const StringTable& strings,
                      Prompt& prompt) {
  const HeaderCheck check = InspectConfigHeader(path, edition);
  switch (check.status) {
    case HeaderStatus::NameEmpty:
      return kConfigNameEmpty;
    case HeaderStatus::Unreadable:
      return kConfigNotUsable;
    case HeaderStatus::NotAConfigFile:
      ShowFileErrorMessage(path, strings, prompt);
      return kConfigNotUsable;
    case HeaderStatus::Ok:
      break;
  }
  return check.portIndex;
}

ReadResult ReadConfigFile(const std::string& path, Settings& settings, const Edition& edition) {
  ConfigInput input(path);
  if (!input.IsOpen()) return ReadResult::Unreadable;
  std::string header;
  const bool gotHeader = input.ReadLine(header, LongestHeader(edition));
  const std::optional<ConfigLayout> layout =
      gotHeader ? LayoutOfHeader(header, edition) : std::nullopt;
  if (!layout) return input.Failed() ? ReadResult::Unreadable : ReadResult::Malformed;

  Settings updated = settings;
  const bool ok = *layout == ConfigLayout::Current
                      ? ReadLayout<ConfigLayout::Current>(input, updated, edition)
                      : ReadLayout<ConfigLayout::Old>(input, updated, edition);
  if (!ok) return input.Failed() ? ReadResult::Unreadable : ReadResult::Malformed;
  settings = std::move(updated);
  return *layout == ConfigLayout::Current ? ReadResult::Ok : ReadResult::OldFileOk;
}

void CompleteConfigRead(ReadResult result, WorkingValues& working, const StringTable& strings,
                        Prompt& prompt) {
  if (result != ReadResult::Ok && result != ReadResult::OldFileOk) return;
  working.ConfigLoaded = true;
  working.ConfigModified = false;
  if (result == ReadResult::OldFileOk) {
    ShowOldFileMessage(strings, prompt);
    working.ConfigModified = true;
  }
}

void ShowOldFileMessage(const StringTable& strings, Prompt& prompt) {
  prompt.Beep();
  prompt.Show({strings.Text(str::kOldConfigFile), strings.Text(str::kOldConfigFileTitle),
               PromptButtons::Ok, PromptIcon::Plain});
}

void ShowFileErrorMessage(const std::string& path, const StringTable& strings, Prompt& prompt) {
  // The path is shown as given: on this system letter case is part of a file's name.
  prompt.Show({strings.Format(str::kNotAConfigFile, {path}), strings.Text(str::kFileErrorTitle),
               PromptButtons::Ok, PromptIcon::Question});
}

}  // namespace fenno
