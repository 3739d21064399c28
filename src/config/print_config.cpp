#include "config/print_config.h"

#include <cstdio>

#include "config/command_line.h"
#include "config/config_layout.h"
#include "config/config_load.h"
#include "config/config_text_ids.h"

namespace fenno {
namespace {

// One line per setting; the raw lengths and the TCP program's serial filler lines are how
// the file stores things, not settings, so they are left out.
class LayoutPrinter {
 public:
  explicit LayoutPrinter(std::string& out) : out_(out) {}

  void Integer(ItemName name, const int16_t& value, ValueRange) { Number(name, value); }
  void Long(ItemName name, const int32_t& value, ValueRange) { Number(name, value); }
  void Flag(ItemName name, const bool& value) { Number(name, value ? -1 : 0); }
  void CharCode(ItemName name, const char& value) { Entry(name, QuoteText({&value, 1})); }
  void TableCode(ItemName name, const std::string& table, int index) {
    const auto at = static_cast<size_t>(index);
    Entry(name, QuoteText(at < table.size() ? std::string_view(table).substr(at, 1) : ""));
  }
  void Filler(int32_t) {}
  void Text(ItemName name, const std::string& value) { Entry(name, QuoteText(value)); }
  void ListItem(ItemName name, const std::string& value) { Text(name, value); }
  void KeystrokeEntry(ItemName name, const std::string& value) { Text(name, value); }
  void PreInputEntry(ItemName name, const std::string& value) { Text(name, value); }
  void RawLength(ItemName, const std::string&) {}
  void RawText(ItemName name, const std::string& text) { Text(name, text); }
  void TailText(ItemName name, const std::string& value) { Text(name, value); }
  void TailNumber(ItemName name, const int32_t& value) { Number(name, value); }

 private:
  void Number(ItemName name, int64_t value) { Entry(name, std::to_string(value)); }
  void Entry(ItemName name, std::string_view value) {
    out_ += ItemNameText(name);
    out_ += " = ";
    out_ += value;
    out_ += '\n';
  }

  std::string& out_;
};

void AppendEscape(std::string& out, unsigned char byte) {
  switch (byte) {
    case '\r':
      out += "\\r";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '"':
      out += "\\\"";
      return;
    default:
      break;
  }
  if (byte >= 32 && byte <= 126) {
    out += static_cast<char>(byte);
    return;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 15];
}

}  // namespace

std::string QuoteText(std::string_view text) {
  std::string out = "\"";
  for (char c : text) AppendEscape(out, static_cast<unsigned char>(c));
  out += '"';
  return out;
}

std::string PrintConfig(const Settings& settings, const Edition& edition) {
  std::string out;
  LayoutPrinter printer(out);
  WalkConfigLayout<ConfigLayout::Current>(settings, edition, printer);
  return out;
}

int PrintConfigCommand(const Edition& edition, const std::string& path, const StringTable& strings,
                       Prompt& prompt, std::string& output) {
  Settings settings = Settings::Defaults(edition, HomeFolder());
  WorkingValues working;
  working.ConfigFileName = path;
  switch (LoadConfiguration(settings, working, edition, strings, prompt, HomeFolder())) {
    case LoadOutcome::Loaded:
    case LoadOutcome::LoadedOldFile:
      output = PrintConfig(settings, edition);
      return kExitOk;
    case LoadOutcome::NoFileName:
    case LoadOutcome::NotReadable:
      // The load procedure is silent here; on the command line silence would explain nothing.
      prompt.Show({strings.Format(str::kCannotOpenConfigFile, {path}),
                   strings.Text(str::kFileErrorTitle), PromptButtons::Ok, PromptIcon::Critical});
      return kExitConfigError;
    case LoadOutcome::Invalid:
      break;
  }
  return kExitConfigError;
}

int RunPrintConfig(const Edition& edition, const std::string& path) {
  const StringTable strings(edition.kind, LanguageFromEnvironment());
  ConsolePrompt prompt;
  std::string output;
  const int status = PrintConfigCommand(edition, path, strings, prompt, output);
  std::fwrite(output.data(), 1, output.size(), stdout);
  std::fflush(stdout);
  return status;
}

}  // namespace fenno
