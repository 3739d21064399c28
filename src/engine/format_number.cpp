#include "engine/format_number.h"

#include <algorithm>
#include <charconv>

#include "engine/format_pattern.h"
#include "expr/number_text.h"

namespace fenno {

namespace {

enum class NumberPart { Integer, Fraction, Exponent };

bool IsPlaceholder(char c) {
  return c == '0' || c == '#';
}

// "E+0", "e-#" and the like: an exponent marker only when a digit placeholder follows.
bool IsExponentAt(std::string_view section, size_t i) {
  return i + 2 < section.size() && (section[i] == 'E' || section[i] == 'e') &&
         (section[i + 1] == '+' || section[i + 1] == '-') && IsPlaceholder(section[i + 2]);
}

class LayoutScanner {
 public:
  NumericLayout Scan(std::string_view section) {
    for (size_t i = 0; i < section.size();) {
      std::string_view literal;
      if (ReadLiteral(section, i, literal)) continue;
      if (part_ != NumberPart::Exponent && IsExponentAt(section, i)) {
        EndDigits();
        part_ = NumberPart::Exponent;
        layout_.scientific = true;
        i += 2;
        continue;
      }
      Take(section[i++]);
    }
    EndDigits();
    return layout_;
  }

 private:
  void Take(char c) {
    if (IsPlaceholder(c)) {
      TakePlaceholder(c);
    } else if (c == ',' && part_ != NumberPart::Exponent &&
               layout_.integerPlaceholders + layout_.fractionPlaceholders > 0) {
      ++pendingCommas_;
    } else if (c == '.' && part_ == NumberPart::Integer) {
      EndDigits();
      part_ = NumberPart::Fraction;
    } else if (c == '%') {
      layout_.scale += 2;
    }
  }

  void TakePlaceholder(char c) {
    switch (part_) {
      case NumberPart::Integer:
        // A comma between digit placeholders asks for grouping.
        if (pendingCommas_ > 0) layout_.grouping = true;
        pendingCommas_ = 0;
        ++layout_.integerPlaceholders;
        break;
      case NumberPart::Fraction:
        pendingCommas_ = 0;  // between fraction digits a comma means nothing
        ++layout_.fractionPlaceholders;
        if (c == '0') layout_.fractionZerosThrough = layout_.fractionPlaceholders;
        break;
      case NumberPart::Exponent:
        ++layout_.exponentPlaceholders;
        break;
    }
  }

  // Commas after the last digit placeholder of the integer part, or of the whole number,
  // scale the value down by 1000 each.
  void EndDigits() {
    layout_.scale -= 3 * pendingCommas_;
    pendingCommas_ = 0;
  }

  NumericLayout layout_;
  NumberPart part_ = NumberPart::Integer;
  int pendingCommas_ = 0;
};

// Calls `append(k)` for what placeholder `index` of `count` shows of a run of `length`
// digits (k < 0: a leading zero). The first placeholder also takes the digits that have no
// placeholder of their own, so no digit is ever lost.
template <typename Append>
void FillPlaceholder(char placeholder, int index, int count, long length, Append append) {
  const long own = length - count + index;
  if (index == 0)
    for (long k = 0; k < own; ++k) append(k);
  if (own >= 0 || placeholder == '0') append(own);
}

class SectionRenderer {
 public:
  SectionRenderer(std::string& out, const NumericLayout& layout, DecimalDigits digits,
                  const NumberSymbols& symbols)
      : out_(out), layout_(layout), digits_(digits), symbols_(symbols) {
    digits_.Shift(layout.scale);
    if (layout.scientific) {
      PrepareScientific();
    } else {
      digits_.RoundToFraction(layout.fractionPlaceholders);
    }
    integerLength_ = digits_.IsZero() ? 0 : std::max(digits_.Point(), 0);
    const int significantFraction = digits_.Count() - digits_.Point();
    fractionShown_ = std::max(layout.fractionZerosThrough,
                              std::min(layout.fractionPlaceholders, significantFraction));
  }

  bool Render(std::string_view section) {
    for (size_t i = 0; i < section.size();) {
      std::string_view literal;
      if (ReadLiteral(section, i, literal)) {
        out_ += literal;
      } else if (part_ != NumberPart::Exponent && IsExponentAt(section, i)) {
        AppendExponentMarker(section[i], section[i + 1]);
        i += 2;
      } else {
        Put(section[i++]);
      }
    }
    return !digits_.IsZero();
  }

 private:
  void PrepareScientific() {
    if (digits_.IsZero()) return;
    // At least one mantissa digit, or the value would round away entirely.
    const int integerDigits = layout_.integerPlaceholders + layout_.fractionPlaceholders > 0
                                  ? layout_.integerPlaceholders
                                  : 1;
    exponent_ = digits_.Point() - integerDigits;
    digits_.Shift(-exponent_);
    digits_.RoundToFraction(layout_.fractionPlaceholders);
    if (digits_.Point() > integerDigits) {  // 9.99 rounded up to 10.0
      ++exponent_;
      digits_.Shift(-1);
    }
  }

  void Put(char c) {
    if (IsPlaceholder(c)) {
      PutPlaceholder(c);
    } else if (c == '.' && part_ == NumberPart::Integer) {
      out_ += symbols_.decimalSeparator;
      part_ = NumberPart::Fraction;
    } else if (c != ',') {  // commas only group or scale
      out_ += c;
    }
  }

  void PutPlaceholder(char c) {
    switch (part_) {
      case NumberPart::Integer:
        FillPlaceholder(c, integerIndex_++, layout_.integerPlaceholders, integerLength_,
                        [this](long k) { AppendIntegerDigit(k); });
        break;
      case NumberPart::Fraction:
        if (fractionIndex_ < fractionShown_)
          out_ += digits_.DigitAt(static_cast<long>(digits_.Point()) + fractionIndex_);
        ++fractionIndex_;
        break;
      case NumberPart::Exponent:
        FillPlaceholder(c, exponentIndex_++, layout_.exponentPlaceholders,
                        static_cast<long>(exponentText_.size()), [this](long k) {
                          out_ += k < 0 ? '0' : exponentText_[static_cast<size_t>(k)];
                        });
        break;
    }
  }

  void AppendIntegerDigit(long k) {
    out_ += digits_.DigitAt(k);
    const long following = integerLength_ - 1 - k;
    if (layout_.grouping && !layout_.scientific && following > 0 && following % 3 == 0)
      out_ += symbols_.thousandsSeparator;
  }

  void AppendExponentMarker(char letter, char signMode) {
    out_ += letter;
    if (exponent_ < 0) {
      out_ += '-';
    } else if (signMode == '+') {
      out_ += '+';
    }
    part_ = NumberPart::Exponent;
    char text[16];
    const int magnitude = exponent_ < 0 ? -exponent_ : exponent_;
    const auto end = std::to_chars(text, text + sizeof text, magnitude).ptr;
    exponentText_.assign(text, magnitude == 0 ? text : end);
  }

  std::string& out_;
  const NumericLayout& layout_;
  DecimalDigits digits_;
  const NumberSymbols& symbols_;
  NumberPart part_ = NumberPart::Integer;
  long integerLength_ = 0;
  int fractionShown_ = 0;
  int exponent_ = 0;
  std::string exponentText_;
  int integerIndex_ = 0;
  int fractionIndex_ = 0;
  int exponentIndex_ = 0;
};

}  // namespace

NumericLayout AnalyzeNumericSection(std::string_view section) {
  return LayoutScanner().Scan(section);
}

bool AppendNumericSection(std::string& out, std::string_view section, const NumericLayout& layout,
                          DecimalDigits digits, const NumberSymbols& symbols) {
  return SectionRenderer(out, layout, digits, symbols).Render(section);
}

void AppendGeneralNumber(std::string& out, double value, char decimalSeparator) {
  AppendDoubleText(out, value, decimalSeparator);
}

}  // namespace fenno
