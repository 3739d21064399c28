#pragma once

// The rules of the translation editor and the ASCII chart. One editor serves the four
// tables: the keystroke table (its lines show the macro text typed for a character), the
// DDE and log tables (a replacement character each) and the pre-input table (a replacement
// character, "Ignore" or "Void Record"). The editor works on a copy of the table; OK stores
// it, Cancel forgets it.

#include <array>
#include <string>
#include <vector>

#include "base/string_table.h"
#include "config/settings.h"

namespace fenno {

enum class TranslationTable { Keystroke, Dde, Log, PreInput };

// How a table's lines read and what "Translate..." opens: the key picker for the keystroke
// table, the ASCII chart for the others (with "Ignore" and "Void Record" for pre-input).
enum class TranslationKind { Keystroke = 0, Character = 1, PreInput = 2 };
TranslationKind KindOf(TranslationTable table);

// Define > Pre-Transfer edits the table of the current output method.
TranslationTable PreTransferTable(const Settings& settings);

// "Translation Table - Keystroke Mode" and the like; the pre-input table's is its menu
// item's text without the accelerator.
std::string TranslationCaption(TranslationTable table, const StringTable& strings);

// The table being edited, 256 entries whatever its shape: a macro text, a one-character
// text, or for pre-input possibly "Ignore" or "Void Record".
struct TranslationEntries {
  TranslationTable table = TranslationTable::Keystroke;
  std::array<std::string, kTableSize> entries;
};

TranslationEntries LoadTranslation(TranslationTable table, const Settings& settings);
// True when the table changed.
bool StoreTranslation(const TranslationEntries& edited, Settings& settings);
// "Reset All": the defaults of this table only.
void ResetAllTranslations(TranslationEntries& edited);
// "Translate..." for the character `code`: the key picker's macro text, or the ASCII chart's
// answer (AsciiChartAnswer). Empty (cancelled), a line break (a macro is kept on one line of
// the configuration file) and a word other tables cannot hold change nothing; false then.
bool Translate(TranslationEntries& edited, int code, const std::string& answer);

// The columns of a line of the editor and the chart, as UTF-8 texts to show: the code (" 65"), the
// character as shown (empty for control codes and the no-break space), its control name ("NUL",
// "SOH", "TAB", "SPACE") and, in the editor, its translation ("{ENTER}", "ASCII 65", "Ignore").
struct TranslationLine {
  std::string value;
  std::string character;
  std::string controlCode;
  std::string translation;
};
TranslationLine TranslationLineOf(const TranslationEntries& edited, int code,
                                  const StringTable& strings);

// The ASCII chart's lines: the 256 codes, after " Ignore" and " Void Record" (shown in the
// user's language) when it picks for the pre-input table.
std::vector<TranslationLine> AsciiChartLines(bool preInputWords, const StringTable& strings);
// OK on line `line`: one character, or " Ignore" / " Void Record" (with their space).
std::string AsciiChartAnswer(int line, bool preInputWords);

}  // namespace fenno
