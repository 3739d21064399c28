#include "transport/stream_analyzer.h"

#include <algorithm>

#include "base/limits.h"
#include "base/string_ids.h"

namespace fenno {
namespace {

// The first `pattern` in `text` replaced by `value`.
std::string ReplaceFirst(std::string text, std::string_view pattern, std::string_view value) {
  const size_t at = text.find(pattern);
  if (at != std::string::npos) text.replace(at, pattern.size(), value);
  return text;
}

int DelimiterName(GuessedDelimiter delimiter, EditionKind edition) {
  const int first = edition == EditionKind::Comfenno ? str::kComfennoDelimiterComma
                                                     : str::kNetfennoDelimiterComma;
  return first + static_cast<int>(delimiter);
}

}  // namespace

void StreamAnalyzer::Feed(std::string_view bytes) {
  for (const char byte : bytes) {
    if (crFound_) {
      if (!afterCrSeen_) lineFeedAfterCr_ = byte == '\n';
      afterCrSeen_ = true;
      return;
    }
    if (byte == '\r') {
      crFound_ = true;
      continue;  // the next byte tells whether records end in CR LF
    }
    ++length_;
    if (byte == ' ') {
      if (!inSpaceRun_) ++spaceRuns_;
      inSpaceRun_ = true;
      continue;
    }
    inSpaceRun_ = false;
    if (byte == ',') ++commas_;
    if (byte == '\t') ++tabs_;
    if (byte == '*') ++asterisks_;
  }
}

std::optional<RecordGuess> StreamAnalyzer::Guess() const {
  if (Empty()) return std::nullopt;
  RecordGuess guess;
  uint64_t delimiters = 0;
  const std::pair<uint64_t, GuessedDelimiter> byPreference[] = {
      {commas_, GuessedDelimiter::kComma},
      {spaceRuns_, GuessedDelimiter::kSpace},
      {tabs_, GuessedDelimiter::kTab},
      {asterisks_, GuessedDelimiter::kAsterisk}};
  for (const auto& [count, delimiter] : byPreference) {
    if (count == 0) continue;
    delimiters = count;
    guess.delimiter = delimiter;
    break;
  }
  // Counted wide: a sample of megabytes without a CR may hold more delimiters than an int.
  uint64_t fields = delimiters + 1;
  if (crFound_) {
    guess.layout = fields > 1 ? GuessedLayout::kDelimited : GuessedLayout::kSingleFieldCr;
  } else if (fields > 1) {
    guess.layout = GuessedLayout::kFixedLength;
    fields = 2 * fields - 1;  // each delimiter is a field of its own
  } else {
    guess.layout = GuessedLayout::kSingleFieldTimed;
  }
  guess.fieldCount = static_cast<int>(std::min<uint64_t>(fields, kMaxFields));
  // The length of a record ended by CR counts the CR (its position in the sample). The
  // settings cannot hold a longer record; a longer first record is cut to the limit.
  const uint64_t length = crFound_ ? length_ + 1 : length_;
  guess.recordLength = static_cast<int>(std::min<uint64_t>(length, kMaxRecordLength));
  guess.lineFeedAfterCr = lineFeedAfterCr_;
  return guess;
}

std::optional<RecordGuess> GuessRecordLayout(std::string_view sample) {
  StreamAnalyzer analyzer;
  analyzer.Feed(sample);
  return analyzer.Guess();
}

char DelimiterByte(GuessedDelimiter delimiter) {
  switch (delimiter) {
    case GuessedDelimiter::kComma:
      return ',';
    case GuessedDelimiter::kSpace:
      return ' ';
    case GuessedDelimiter::kTab:
      return '\t';
    case GuessedDelimiter::kAsterisk:
      return '*';
    case GuessedDelimiter::kNone:
      break;
  }
  return '\0';
}

std::string DescribeGuess(const RecordGuess& guess, const StringTable& strings) {
  const std::string fields = std::to_string(guess.fieldCount);
  switch (guess.layout) {
    case GuessedLayout::kSingleFieldCr:
      return strings.Text(str::kGuessSingleFieldCr);
    case GuessedLayout::kSingleFieldTimed:
      return strings.Text(str::kGuessSingleFieldTimed);
    case GuessedLayout::kDelimited:
      return strings.Text(DelimiterName(guess.delimiter, strings.edition())) + ' ' +
             ReplaceFirst(strings.Text(str::kGuessDelimited), "??", fields);
    case GuessedLayout::kFixedLength:
      return ReplaceFirst(ReplaceFirst(strings.Text(str::kGuessFixedLength), "nn",
                                       std::to_string(guess.recordLength)),
                          "xx", fields);
  }
  return {};
}

std::string GuessQuestion(const RecordGuess& guess, const StringTable& strings) {
  return DescribeGuess(guess, strings) + "\n\n" + strings.Text(str::kGuessQuestion);
}

bool StoreGuess(const RecordGuess& guess, Settings& settings) {
  const Settings before = settings;
  switch (guess.layout) {
    case GuessedLayout::kSingleFieldCr:
      settings.EndOfRecordEvent = kEndCarriageReturn;
      settings.RecordStructure = kSingleField;
      break;
    case GuessedLayout::kSingleFieldTimed:
      settings.EndOfRecordEvent = kEndTimeGap;
      settings.RecordStructure = kSingleField;
      break;
    case GuessedLayout::kDelimited:
      settings.EndOfRecordEvent = kEndCarriageReturn;
      settings.RecordStructure = kDelimitedFields;
      settings.Delimiter = DelimiterByte(guess.delimiter);
      break;
    case GuessedLayout::kFixedLength:
      settings.EndOfRecordEvent = kEndByteCount;
      settings.RecordStructure = kFixedLengthFields;
      break;
  }
  settings.FieldCount = static_cast<int16_t>(guess.fieldCount);
  settings.RecordLength = static_cast<int16_t>(guess.recordLength);
  const bool endsAtCr = settings.EndOfRecordEvent == kEndCarriageReturn;
  std::string& lineFeed = settings.PreInputTranslation['\n'];
  if (endsAtCr && guess.lineFeedAfterCr && lineFeed == "\n") lineFeed = kIgnoreEntry;
  return !(settings == before);
}

}  // namespace fenno
