#pragma once

// Guesses the record layout of a device from a sample of what it sent: the first record
// (everything up to the first CR) tells whether records end with CR or come in fixed
// lengths or time gaps, and which delimiter, if any, splits them into fields. The
// analyzer takes the sample as it arrives, so it needs no copy of it however long it
// grows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/string_table.h"
#include "config/settings.h"

namespace fenno {

enum class GuessedLayout : uint8_t {
  kSingleFieldCr,     // one field, CR (or CR LF) at the end
  kSingleFieldTimed,  // one field, records apart by a time gap
  kDelimited,         // fields apart by the delimiter, CR at the end
  kFixedLength,       // records of the first record's length; each delimiter a field
};

// The delimiters in the order they are preferred.
enum class GuessedDelimiter : uint8_t { kComma, kSpace, kTab, kAsterisk, kNone };

struct RecordGuess {
  GuessedLayout layout = GuessedLayout::kSingleFieldCr;
  GuessedDelimiter delimiter = GuessedDelimiter::kNone;
  int fieldCount = 1;            // 1 .. kMaxFields
  int recordLength = 0;          // up to and with the first CR, at most kMaxRecordLength
  bool lineFeedAfterCr = false;  // the first CR was followed by LF (records end in CR LF)
  bool operator==(const RecordGuess&) const = default;
};

class StreamAnalyzer {
 public:
  // The next bytes of the sample.
  void Feed(std::string_view bytes);
  void Clear() { *this = StreamAnalyzer(); }
  bool Empty() const { return length_ == 0 && !crFound_; }
  // The guess for the sample so far; nothing for an empty sample.
  std::optional<RecordGuess> Guess() const;

 private:
  uint64_t length_ = 0;  // bytes before the first CR, or all of them
  bool crFound_ = false;
  bool lineFeedAfterCr_ = false;
  bool afterCrSeen_ = false;
  bool inSpaceRun_ = false;
  uint64_t commas_ = 0;
  uint64_t spaceRuns_ = 0;
  uint64_t tabs_ = 0;
  uint64_t asterisks_ = 0;
};

std::optional<RecordGuess> GuessRecordLayout(std::string_view sample);

// The delimiter byte of a guess ('\0' for none).
char DelimiterByte(GuessedDelimiter delimiter);
// The guess in words, and the question whether to configure the program with it (UTF-8).
std::string DescribeGuess(const RecordGuess& guess, const StringTable& strings);
std::string GuessQuestion(const RecordGuess& guess, const StringTable& strings);

// Sets the record layout to the guess (the field definitions stay); true when anything
// changed. Records that end in CR LF also get their LF ignored on input, unless the
// pre-input table already does something with it: otherwise each LF would begin the next
// record's first field.
bool StoreGuess(const RecordGuess& guess, Settings& settings);

}  // namespace fenno
