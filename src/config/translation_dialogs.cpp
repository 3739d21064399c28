#include "config/translation_dialogs.h"

#include <string_view>

#include "base/string_ids.h"
#include "config/translation_text_ids.h"

namespace fenno {
namespace {

// Three characters per code 0 to 31, padded with a space.
constexpr std::string_view kMnemonics =
    "NULSOHSTXETXEOTENQACKBELBS HT LF VT FF CR SO SI DLEDC1DC2DC3DC4NAKSYNETBCANEM SUBESCFS GS "
    "RS US ";
constexpr size_t kCodes = kTableSize;
constexpr int kLinesBeforeCodes = 2;  // " Ignore" and " Void Record" in the pre-input chart

std::string CodeText(int code) {
  return " " + std::to_string(code);
}

std::string ControlName(int code) {
  if (code == 9) return "TAB";
  if (code == 32) return "SPACE";
  if (code >= 32) return {};
  std::string_view name = kMnemonics.substr(static_cast<size_t>(code) * 3, 3);
  if (name.back() == ' ') name.remove_suffix(1);
  return std::string(name);
}

// A byte text as the UTF-8 of its Latin-1 characters, for showing.
std::string Latin1AsUtf8(std::string_view bytes) {
  std::string shown;
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    if (code < 0x80) {
      shown += byte;
    } else {
      shown += static_cast<char>(0xC0 | (code >> 6));
      shown += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return shown;
}

// Control codes (C0, DEL, C1) and the no-break space show nothing of their own.
std::string ShownCharacter(int code) {
  if (code <= 32 || code == 127 || (code >= 128 && code <= 160)) return {};
  return Latin1AsUtf8(std::string(1, static_cast<char>(code)));
}

std::string AsciiText(const std::string& entry) {
  const int code = entry.empty() ? 0 : static_cast<unsigned char>(entry[0]);
  return "ASCII" + CodeText(code);
}

// A table text shorter than 256 characters (never written by this program) reads as its
// defaults beyond its end, and is stored at full length.
char CharacterAt(const std::string& table, size_t code, const std::string& defaults) {
  return code < table.size() ? table[code] : defaults[code];
}

void StoreCharacter(std::string& table, size_t code, char entry, const std::string& defaults) {
  if (table.size() < kCodes) table += defaults.substr(table.size());
  table[code] = entry;
}

std::string_view ChartWord(int line) {
  return line == 0 ? kIgnoreEntry : kVoidRecordEntry;
}

}  // namespace

TranslationKind KindOf(TranslationTable table) {
  switch (table) {
    case TranslationTable::Keystroke:
      return TranslationKind::Keystroke;
    case TranslationTable::PreInput:
      return TranslationKind::PreInput;
    default:
      return TranslationKind::Character;
  }
}

TranslationTable PreTransferTable(const Settings& settings) {
  switch (settings.OutputMethod) {
    case kDdeServer:
      return TranslationTable::Dde;
    case kLogToDisk:
      return TranslationTable::Log;
    default:
      return TranslationTable::Keystroke;
  }
}

std::string TranslationCaption(TranslationTable table, const StringTable& strings) {
  switch (table) {
    case TranslationTable::Keystroke:
      return strings.Text(str::kTransTblKeystrokeCaption);
    case TranslationTable::Dde:
      return strings.Text(str::kTransTblDdeCaption);
    case TranslationTable::Log:
      return strings.Text(str::kTransTblLogCaption);
    default:
      return WithoutAccelerator(strings.Text(str::kMenuPreInTrans));
  }
}

TranslationEntries LoadTranslation(TranslationTable table, const Settings& settings) {
  TranslationEntries edited{table, {}};
  for (size_t code = 0; code < kCodes; ++code) {
    switch (table) {
      case TranslationTable::Keystroke:
        edited.entries[code] = settings.KeystrokeTranslation[code];
        break;
      case TranslationTable::Dde:
        edited.entries[code] =
            std::string(1, CharacterAt(settings.DdeTranslation, code, DefaultDdeTranslation()));
        break;
      case TranslationTable::Log:
        edited.entries[code] =
            std::string(1, CharacterAt(settings.LogTranslation, code, DefaultLogTranslation()));
        break;
      case TranslationTable::PreInput:
        edited.entries[code] = settings.PreInputTranslation[code];
        break;
    }
  }
  return edited;
}

bool StoreTranslation(const TranslationEntries& edited, Settings& settings) {
  const TranslationEntries before = LoadTranslation(edited.table, settings);
  if (before.entries == edited.entries) return false;
  for (size_t code = 0; code < kCodes; ++code) {
    const std::string& entry = edited.entries[code];
    switch (edited.table) {
      case TranslationTable::Keystroke:
        settings.KeystrokeTranslation[code] = entry;
        break;
      case TranslationTable::Dde:
        StoreCharacter(settings.DdeTranslation, code, entry.at(0), DefaultDdeTranslation());
        break;
      case TranslationTable::Log:
        StoreCharacter(settings.LogTranslation, code, entry.at(0), DefaultLogTranslation());
        break;
      case TranslationTable::PreInput:
        settings.PreInputTranslation[code] = entry;
        break;
    }
  }
  return true;
}

void ResetAllTranslations(TranslationEntries& edited) {
  Settings defaults;
  defaults.KeystrokeTranslation = DefaultKeystrokeTranslation();
  defaults.DdeTranslation = DefaultDdeTranslation();
  defaults.LogTranslation = DefaultLogTranslation();
  defaults.PreInputTranslation = DefaultPreInputTranslation();
  edited = LoadTranslation(edited.table, defaults);
}

bool Translate(TranslationEntries& edited, int code, const std::string& answer) {
  if (code < 0 || code >= kTableSize || answer.empty()) return false;
  std::string entry = answer;
  switch (KindOf(edited.table)) {
    case TranslationKind::Keystroke:
      if (answer.find_first_of("\r\n") != std::string::npos) return false;
      break;
    case TranslationKind::Character:
      if (answer.size() != 1) return false;
      break;
    case TranslationKind::PreInput:
      if (answer.size() > 1) {
        entry = answer.substr(1);
        if (entry != kIgnoreEntry && entry != kVoidRecordEntry) return false;
      }
      break;
  }
  edited.entries[static_cast<size_t>(code)] = entry;
  return true;
}

TranslationLine TranslationLineOf(const TranslationEntries& edited, int code,
                                  const StringTable& strings) {
  TranslationLine line{CodeText(code), ShownCharacter(code), ControlName(code), {}};
  const std::string& entry = edited.entries.at(static_cast<size_t>(code));
  switch (KindOf(edited.table)) {
    case TranslationKind::Keystroke:
      line.translation = Latin1AsUtf8(entry);
      break;
    case TranslationKind::Character:
      line.translation = AsciiText(entry);
      break;
    case TranslationKind::PreInput:
      if (entry == kIgnoreEntry)
        line.translation = strings.Text(str::kPreInputIgnoreShown);
      else if (entry == kVoidRecordEntry)
        line.translation = strings.Text(str::kPreInputVoidRecordShown);
      else
        line.translation = AsciiText(entry);
      break;
  }
  return line;
}

std::vector<TranslationLine> AsciiChartLines(bool preInputWords, const StringTable& strings) {
  std::vector<TranslationLine> lines;
  if (preInputWords) {
    lines.push_back({" " + strings.Text(str::kPreInputIgnoreShown), {}, {}, {}});
    lines.push_back({" " + strings.Text(str::kPreInputVoidRecordShown), {}, {}, {}});
  }
  for (int code = 0; code < kTableSize; ++code)
    lines.push_back({CodeText(code), ShownCharacter(code), ControlName(code), {}});
  return lines;
}

std::string AsciiChartAnswer(int line, bool preInputWords) {
  if (preInputWords) {
    if (line < kLinesBeforeCodes) return " " + std::string(ChartWord(line));
    line -= kLinesBeforeCodes;
  }
  if (line < 0 || line >= kTableSize) return {};
  return std::string(1, static_cast<char>(line));
}

}  // namespace fenno
