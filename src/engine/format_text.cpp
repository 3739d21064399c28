// Reading numeric text under the regional settings, for the formatter.

#include <charconv>
#include <cmath>

#include "engine/formatter.h"

namespace fenno {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads a text from its front, copying the digits it accepts into `plain`, the spelling
// std::from_chars understands.
class NumberReader {
 public:
  NumberReader(std::string_view text, const RegionalSettings& regional)
      : text_(text), regional_(regional) {}

  bool Read(std::string& plain) {
    if (!text_.empty() && (text_[0] == '-' || text_[0] == '+')) {
      if (text_[0] == '-') plain += '-';
      text_.remove_prefix(1);
    }
    const size_t integerDigits = ReadGroupedDigits(plain);
    if (integerDigits == npos) return false;
    size_t fractionDigits = 0;
    if (!text_.empty() && text_[0] == regional_.decimalSeparator) {
      text_.remove_prefix(1);
      if (integerDigits == 0) plain += '0';
      plain += '.';
      fractionDigits = ReadDigits(plain);
      if (fractionDigits == 0) plain.pop_back();
    }
    if (integerDigits + fractionDigits == 0) return false;
    return ReadExponent(plain) && text_.empty();
  }

 private:
  static constexpr size_t npos = std::string_view::npos;

  size_t ReadDigits(std::string& plain) {
    size_t count = 0;
    while (count < text_.size() && IsDigit(text_[count])) ++count;
    plain.append(text_.substr(0, count));
    text_.remove_prefix(count);
    return count;
  }

  bool SeparatorUsable() const {
    const std::string& separator = regional_.thousandsSeparator;
    return !separator.empty() && separator != std::string_view(&regional_.decimalSeparator, 1);
  }

  // Digits with thousands separators between groups of exactly three; npos when a
  // separator stands anywhere else.
  size_t ReadGroupedDigits(std::string& plain) {
    size_t count = ReadDigits(plain);
    if (!SeparatorUsable()) return count;
    const std::string& separator = regional_.thousandsSeparator;
    bool grouped = false;
    while (text_.starts_with(separator)) {
      if (count == 0 || (!grouped && count > 3)) return npos;
      text_.remove_prefix(separator.size());
      if (ReadDigits(plain) != 3) return npos;
      count += 3;
      grouped = true;
    }
    return count;
  }

  bool ReadExponent(std::string& plain) {
    if (text_.empty() || (text_[0] != 'E' && text_[0] != 'e')) return true;
    plain += 'e';
    text_.remove_prefix(1);
    if (!text_.empty() && (text_[0] == '-' || text_[0] == '+')) {
      if (text_[0] == '-') plain += '-';
      text_.remove_prefix(1);
    }
    return ReadDigits(plain) > 0;
  }

  std::string_view text_;
  const RegionalSettings& regional_;
};

}  // namespace

std::optional<double> NumberFromRegionalText(std::string_view text,
                                             const RegionalSettings& regional) {
  text = TrimBlanks(text);
  std::string plain;
  plain.reserve(text.size());
  if (!NumberReader(text, regional).Read(plain)) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace fenno
