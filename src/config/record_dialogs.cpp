#include "config/record_dialogs.h"

#include <algorithm>

#include "base/string_ids.h"

namespace fenno {
namespace {

constexpr int32_t kShownOverflow = 32767;  // "Bytes Defined" above the largest length

// The three-letter names of the control codes, as the delimiter list shows them.
constexpr std::array<std::string_view, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS ", "HT ", "LF ",
    "VT ", "FF ", "CR ", "SO ", "SI ", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM ", "SUB", "ESC", "FS ", "GS ", "RS ", "US "};

bool InRange(int32_t value, int32_t low, int32_t high) {
  return value >= low && value <= high;
}

template <class T>
bool Assign(T& to, const T& value) {
  if (to == value) return false;
  to = value;
  return true;
}

int32_t SumOfLengths(const RecordDefinitions& defs) {
  int32_t sum = 0;
  for (int field = 1; field <= kMaxFields; ++field) sum += defs.fields[field].length;
  return sum;
}

}  // namespace

int32_t DigitsValue(std::string_view text) {
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<int32_t>(value * 10 + (c - '0'), 1000000);
  }
  return value;
}

RecordDialog NextRecordDialog(RecordDialog done, const Settings& settings) {
  switch (done) {
    case RecordDialog::RecType:
      if (settings.EndOfRecordEvent == kEndByteCount) return RecordDialog::Fixed;
      if (settings.EndOfRecordEvent == kEndTimeGap) return RecordDialog::Timed;
      return RecordDialog::RecStructure;
    case RecordDialog::Timed:
      return RecordDialog::RecStructure;
    case RecordDialog::RecStructure:
      return settings.RecordStructure == kDelimitedFields ? RecordDialog::Delim
                                                          : RecordDialog::RecDefs;
    case RecordDialog::Fixed:
    case RecordDialog::Delim:
      return RecordDialog::RecDefs;
    default:
      return RecordDialog::End;
  }
}

RecordEventValues LoadRecordEvents(const Settings& settings) {
  return {settings.StartOfRecordEvent, settings.EndOfRecordEvent, settings.StartOfRecordChars,
          settings.EndOfRecordChars};
}

DialogCheck CheckRecordEvents(const RecordEventValues& values) {
  if (values.startEvent == kStartSpecial && values.startChars.empty())
    return DialogCheck::Refuse(str::kSpecialCharMissing, str::kInvalidStartEventTitle, "Text1");
  if (values.endEvent == kEndSpecial && values.endChars.empty())
    return DialogCheck::Refuse(str::kSpecialCharMissing, str::kInvalidEndEventTitle, "Text2");
  return DialogCheck::Accept();
}

bool StoreRecordEvents(const RecordEventValues& values, Settings& settings) {
  bool changed = Assign(settings.StartOfRecordEvent, values.startEvent);
  changed |= Assign(settings.EndOfRecordEvent, values.endEvent);
  changed |= Assign(settings.StartOfRecordChars, values.startChars);
  changed |= Assign(settings.EndOfRecordChars, values.endChars);
  if (values.endEvent == kEndByteCount) {
    changed |= Assign(settings.RecordStructure, static_cast<int16_t>(kFixedLengthFields));
    changed |= Assign(settings.FieldCount, static_cast<int16_t>(kMaxFields));
  }
  return changed;
}

DialogCheck CheckRecordLength(std::string_view digits) {
  if (InRange(DigitsValue(digits), 1, kMaxRecordLength)) return DialogCheck::Accept();
  return DialogCheck::Refuse(str::kRecordLengthRange, str::kInvalidInputTitle, "RecordLength");
}

bool StoreRecordLength(std::string_view digits, Settings& settings) {
  bool changed = Assign(settings.RecordLength, static_cast<int16_t>(DigitsValue(digits)));
  changed |= Assign(settings.FieldCount, static_cast<int16_t>(kMaxFields));
  return changed;
}

DialogCheck CheckTimeGap(std::string_view digits) {
  if (InRange(DigitsValue(digits), kMinRecordTimeGap, kMaxRecordTimeGap))
    return DialogCheck::Accept();
  return DialogCheck::Refuse(str::kTimeGapRange, str::kInvalidInputTitle, "ClockTicks");
}

bool StoreTimeGap(std::string_view digits, Settings& settings) {
  return Assign(settings.RecordTimeGap, static_cast<int16_t>(DigitsValue(digits)));
}

bool StoreRecordStructure(int16_t structure, Settings& settings) {
  bool changed = Assign(settings.RecordStructure, structure);
  if (structure == kSingleField) {
    for (int field = 1; field <= kMaxFields; ++field)
      changed |= Assign(settings.FieldLength[field], int16_t{0});
    changed |= Assign(settings.FieldCount, int16_t{1});
  } else if (structure == kFixedLengthFields) {
    changed |= Assign(settings.FieldCount, static_cast<int16_t>(kMaxFields));
  }
  return changed;
}

std::string DelimiterListItem(int code) {
  std::string item = " " + std::to_string(code);
  switch (code) {
    case 0:
      return item + "\t    NUL  ";
    case 9:
      return item + "\t    TAB";
    case 32:
      return item + "\t    SPACE";
    case 44:
      return item + "\t,   COMMA";
    default:
      break;
  }
  item += "  \t";
  item += static_cast<char>(code);
  if (code < 32) item += "   " + std::string(kControlNames[static_cast<size_t>(code)]);
  return item;
}

DelimiterValues LoadDelimiter(const Settings& settings) {
  return {static_cast<unsigned char>(settings.Delimiter), std::to_string(settings.FieldCount)};
}

DialogCheck CheckDelimiter(const DelimiterValues& values) {
  if (InRange(DigitsValue(values.fieldCount), 2, kMaxFields)) return DialogCheck::Accept();
  return DialogCheck::Refuse(str::kFieldCountRange, str::kInvalidInputTitle, "Text1");
}

bool StoreDelimiter(const DelimiterValues& values, Settings& settings) {
  bool changed = Assign(settings.Delimiter, static_cast<char>(values.code));
  changed |= Assign(settings.FieldCount, static_cast<int16_t>(DigitsValue(values.fieldCount)));
  for (int field = 1; field <= kMaxFields; ++field)
    changed |= Assign(settings.FieldLength[field], int16_t{0});
  return changed;
}

int FilterIndex(char letter) {
  const size_t at = kFilterLetters.find(letter);
  return at == std::string_view::npos ? 0 : static_cast<int>(at);
}

char FilterLetter(int index) {
  return index >= 0 && index < static_cast<int>(kFilterLetters.size())
             ? kFilterLetters[static_cast<size_t>(index)]
             : 'C';
}

RecordDefinitions LoadRecordDefinitions(const Settings& settings) {
  RecordDefinitions defs;
  defs.preamble = settings.RecordPreamble;
  for (int field = 1; field <= kMaxFields; ++field) {
    const std::string& filter = settings.FieldFilter[field];
    defs.fields[field] = {FilterLetter(FilterIndex(filter.empty() ? 'C' : filter[0])),
                          settings.FieldLength[field], settings.FieldFormat[field],
                          settings.FieldMathExpr[field], settings.FieldPostamble[field]};
  }
  return defs;
}

int32_t BytesDefined(const RecordDefinitions& defs) {
  return std::min(SumOfLengths(defs), kShownOverflow);
}

bool LengthShown(const Settings& settings) {
  return settings.RecordStructure == kFixedLengthFields;
}

bool PreviousEnabled(const RecordDefinitions& defs) {
  return defs.current > 1;
}

bool NextEnabled(const RecordDefinitions& defs, const Settings& settings) {
  if (defs.current >= settings.FieldCount || defs.current >= kMaxFields) return false;
  if (settings.EndOfRecordEvent != kEndByteCount) return true;
  return defs.fields[defs.current + 1].length != 0 || SumOfLengths(defs) < settings.RecordLength;
}

RecordDefinitionTexts RecordDefinitionTextsFor(int16_t outputMethod) {
  switch (outputMethod) {
    case kDdeServer:
      return {str::kRecDefsDdeCaption, str::kRecDefsPreambleDde, str::kRecDefsPostambleDde};
    case kLogToDisk:
      return {str::kRecDefsLogCaption, str::kRecDefsPreambleCharacters,
              str::kRecDefsPostambleCharacters};
    default:
      return {str::kRecDefsKeystrokeCaption, str::kRecDefsPreambleKeystrokes,
              str::kRecDefsPostambleKeystrokes};
  }
}

DialogCheck CheckFieldLengthEntry(std::string_view digits) {
  if (DigitsValue(digits) <= kMaxRecordLength) return DialogCheck::Accept();
  return DialogCheck::Refuse(str::kFieldLengthRange, str::kFieldLengthErrorTitle, "FieldLength");
}

DialogCheck CheckNextField(const RecordDefinitions& defs, const Settings& settings) {
  if (!LengthShown(settings) || InRange(defs.fields[defs.current].length, 1, kMaxRecordLength))
    return DialogCheck::Accept();
  return DialogCheck::Refuse(str::kFieldLengthRange, str::kFieldLengthErrorTitle, "FieldLength");
}

RecordDefinitionsCheck CheckRecordDefinitions(const RecordDefinitions& defs,
                                              const Settings& settings) {
  if (settings.EndOfRecordEvent == kEndByteCount && SumOfLengths(defs) != settings.RecordLength)
    return {DialogCheck::Refuse(str::kFieldLengthSum, str::kFieldLengthErrorTitle, "FieldLength")};
  // Without a first length the field list would be empty: no field could take a byte.
  if (LengthShown(settings) && defs.fields[1].length == 0)
    return {DialogCheck::Refuse(str::kFieldLengthRange, str::kFieldLengthErrorTitle, "FieldLength"),
            1};
  if (DialogCheck check = CheckSingleLine(defs.preamble, "PreambleMacro"); !check.Accepted())
    return {check, 1};
  for (int field = 1; field <= kMaxFields; ++field) {
    const FieldDefinition& def = defs.fields[field];
    for (const auto& [text, name] :
         {std::pair{&def.format, "lstFieldFormat"}, std::pair{&def.expression, "FieldExpression"},
          std::pair{&def.postamble, "FieldMacro"}}) {
      if (DialogCheck check = CheckSingleLine(*text, name); !check.Accepted())
        return {check, field};
    }
  }
  return {DialogCheck::Accept()};
}

void ApplyRecordDefinitions(const RecordDefinitions& defs, Settings& settings) {
  StoreRecordDefinitions(defs, settings);
}

bool StoreRecordDefinitions(const RecordDefinitions& defs, Settings& settings) {
  bool changed = false;
  if (LengthShown(settings)) {
    int count = kMaxFields;
    for (int field = 1; field <= kMaxFields; ++field) {
      if (defs.fields[field].length == 0) {
        count = field - 1;
        break;
      }
    }
    // All 40 with a length leave the count as it was.
    if (count < kMaxFields) changed |= Assign(settings.FieldCount, static_cast<int16_t>(count));
  }
  changed |= Assign(settings.RecordPreamble, defs.preamble);
  for (int field = 1; field <= kMaxFields; ++field) {
    const FieldDefinition& def = defs.fields[field];
    const std::string& filter = settings.FieldFilter[field];
    // An empty stored filter reads as "C": keeping it is no change.
    if (FilterLetter(FilterIndex(filter.empty() ? 'C' : filter[0])) != def.filter ||
        filter.size() > 1)
      changed |= Assign(settings.FieldFilter[field], std::string(1, def.filter));
    changed |= Assign(settings.FieldLength[field],
                      static_cast<int16_t>(std::min<int32_t>(def.length, kMaxRecordLength)));
    changed |= Assign(settings.FieldFormat[field], def.format);
    changed |= Assign(settings.FieldMathExpr[field], def.expression);
    changed |= Assign(settings.FieldPostamble[field], def.postamble);
  }
  return changed;
}

}  // namespace fenno
