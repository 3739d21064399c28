#pragma once

// The rules of the record dialog chain: how records start and end (RecType), their
// length (Fixed), the gap between them (Timed), their structure (RecStructure), the
// delimiter (Delim) and the field editor (RecDefs). Each dialog loads, checks and stores
// through these; the windows only map them onto widgets. Which dialog follows which is
// decided here too.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/dialog_check.h"
#include "config/settings.h"

namespace fenno {

// The dialogs of the chain, and what follows an OK (End: the chain is done).
enum class RecordDialog { End, RecType, Fixed, Timed, RecStructure, Delim, RecDefs };
// The dialog that follows an OK in `done`, from the settings it committed.
RecordDialog NextRecordDialog(RecordDialog done, const Settings& settings);

// Reads a box that accepts only digits: its number, or 0 when it has none. Long numbers
// stay above every limit instead of wrapping.
int32_t DigitsValue(std::string_view text);

// RecType: start and end events with their characters (object names StartOfRec0..3,
// RecTypeSel0..3, Text1, Text2).
struct RecordEventValues {
  int16_t startEvent = kStartAny;
  int16_t endEvent = kEndCarriageReturn;
  std::string startChars;  // raw bytes
  std::string endChars;
};
RecordEventValues LoadRecordEvents(const Settings& settings);
// A special-character event without characters is refused (Text1 or Text2).
DialogCheck CheckRecordEvents(const RecordEventValues& values);
// End event 2 always makes the records fixed-length with 40 fields.
bool StoreRecordEvents(const RecordEventValues& values, Settings& settings);

// Fixed: the total record length, typed as digits (object name RecordLength).
DialogCheck CheckRecordLength(std::string_view digits);
bool StoreRecordLength(std::string_view digits, Settings& settings);

// Timed: the gap between records in ticks, 1 to 255 (object name ClockTicks).
DialogCheck CheckTimeGap(std::string_view digits);
bool StoreTimeGap(std::string_view digits, Settings& settings);

// RecStructure: RecordStructure and the field count and lengths it implies.
bool StoreRecordStructure(int16_t structure, Settings& settings);

// Delim: the delimiter list's item for a code, and the field count (object name Text1).
std::string DelimiterListItem(int code);
struct DelimiterValues {
  int code = ',';
  std::string fieldCount;  // digits
};
DelimiterValues LoadDelimiter(const Settings& settings);
DialogCheck CheckDelimiter(const DelimiterValues& values);
bool StoreDelimiter(const DelimiterValues& values, Settings& settings);

// RecDefs: the field editor works on a copy of the field definitions and commits it on OK.
struct FieldDefinition {
  char filter = 'C';  // one of "CINHOB"
  int32_t length = 0;
  std::string format;
  std::string expression;
  std::string postamble;
};
struct RecordDefinitions {
  std::string preamble;
  std::array<FieldDefinition, kMaxFields + 1> fields{};  // 1..40
  int current = 1;
};

inline constexpr std::string_view kFilterLetters = "CINHOB";
int FilterIndex(char letter);  // C and unknown letters give 0
char FilterLetter(int index);

RecordDefinitions LoadRecordDefinitions(const Settings& settings);
// The sum of the lengths of fields 1 to 40, shown as 32767 above 32766.
int32_t BytesDefined(const RecordDefinitions& defs);
bool LengthShown(const Settings& settings);  // fixed-length records only
bool PreviousEnabled(const RecordDefinitions& defs);
bool NextEnabled(const RecordDefinitions& defs, const Settings& settings);
// The string-table numbers of the editor's caption and its two macro labels by output method.
struct RecordDefinitionTexts {
  int caption;
  int preambleLabel;
  int postambleLabel;
};
RecordDefinitionTexts RecordDefinitionTextsFor(int16_t outputMethod);

// A length typed into the box (object name FieldLength): above 32766 is refused at once;
// otherwise it becomes the current field's length.
DialogCheck CheckFieldLengthEntry(std::string_view digits);
// Next: in fixed-length records the current field needs a length of 1 to 32766.
DialogCheck CheckNextField(const RecordDefinitions& defs, const Settings& settings);
// OK: the lengths must add up to RecordLength (end event 2), the first field of
// fixed-length records needs a length, and single-line texts refuse line breaks. A
// refusal of one field's value names the field in `field`: the editor shows it first.
struct RecordDefinitionsCheck {
  DialogCheck check;
  int field = 0;  // 0: the refusal is not about one field
};
RecordDefinitionsCheck CheckRecordDefinitions(const RecordDefinitions& defs,
                                              const Settings& settings);
// Commits the preamble and the five values of fields 1 to 40; fixed-length records count
// their leading fields with a length.
bool StoreRecordDefinitions(const RecordDefinitions& defs, Settings& settings);
// The working copy as settings: the preview runs the edited values before they are committed.
void ApplyRecordDefinitions(const RecordDefinitions& defs, Settings& settings);

}  // namespace fenno
