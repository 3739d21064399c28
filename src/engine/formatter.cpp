#include "engine/formatter.h"

#include <cmath>

#include "engine/format_date.h"
#include "engine/format_number.h"
#include "engine/format_pattern.h"

namespace fenno {

namespace {

constexpr size_t kMaxPatternLength = 65535;

enum class Special { None, GeneralNumber, Currency };

struct NamedFormat {
  std::string_view name;
  std::string_view pattern;
  Special special = Special::None;
};

constexpr NamedFormat kNamedFormats[] = {
    {"General Number", "", Special::GeneralNumber},
    {"Currency", "", Special::Currency},
    {"Fixed", "0.00"},
    {"Standard", "#,##0.00"},
    {"Percent", "0.00%"},
    {"Scientific", "0.00E+00"},
    {"General Date", "c"},
    {"Long Date", "dddddd"},
    {"Medium Date", "dd-mmm-yy"},
    {"Short Date", "ddddd"},
    {"Long Time", "ttttt"},
    {"Medium Time", "hh:nn AM/PM"},
    {"Short Time", "hh:nn"},
};

const NamedFormat* FindNamedFormat(std::string_view pattern) {
  for (const NamedFormat& named : kNamedFormats)
    if (EqualsNoCase(pattern, named.name)) return &named;
  return nullptr;
}

// The value being formatted: a number, and the moment it stands for when it is one.
struct Subject {
  double number = 0;
  const LocalDateTime* moment = nullptr;
};

enum class Shown { Number, Zero, Text, Failed };

NumberSymbols NumericSymbols(const RegionalSettings& regional) {
  return {regional.decimalSeparator, regional.thousandsSeparator};
}

Shown AppendDateTimeOf(std::string& out, const Subject& subject, std::string_view section,
                       const RegionalSettings& regional) {
  if (subject.moment != nullptr) {
    AppendDateTimeSection(out, section, *subject.moment, regional);
    return Shown::Text;
  }
  const std::optional<LocalDateTime> moment = DateTimeFromSerial(subject.number);
  if (!moment) return Shown::Failed;
  AppendDateTimeSection(out, section, *moment, regional);
  return Shown::Text;
}

// An empty positive section (";(0)") shows the general form rather than nothing.
Shown AppendGeneralSection(std::string& out, const Subject& subject,
                           const RegionalSettings& regional) {
  if (subject.moment != nullptr) {
    AppendGeneralDateTime(out, *subject.moment, regional);
    return Shown::Text;
  }
  AppendGeneralNumber(out, std::fabs(subject.number), regional.decimalSeparator);
  return subject.number == 0 ? Shown::Zero : Shown::Number;
}

// Each kind of value reads a section its own way first: for a moment any date/time
// placeholder makes a date section ("hh:nn:00" keeps its zeros as text), for a number any
// digit placeholder makes a numeric one ("0 m" is a number of metres).
bool IsDateTimeSection(const Subject& subject, std::string_view section,
                       const NumericLayout& layout) {
  if (subject.moment == nullptr && layout.HasPlaceholders()) return false;
  return HasDateTimePlaceholder(section);
}

// Appends one section applied to the magnitude of the subject (or to its moment).
Shown AppendSection(std::string& out, const Subject& subject, std::string_view section,
                    const RegionalSettings& regional) {
  if (section.empty()) return AppendGeneralSection(out, subject, regional);
  const NumericLayout layout = AnalyzeNumericSection(section);
  if (IsDateTimeSection(subject, section, layout))
    return AppendDateTimeOf(out, subject, section, regional);
  const bool nonzero = AppendNumericSection(
      out, section, layout, DecimalDigits::FromDouble(subject.number), NumericSymbols(regional));
  if (!layout.HasPlaceholders()) return Shown::Text;
  return nonzero ? Shown::Number : Shown::Zero;
}

size_t SectionIndexFor(const PatternSections& sections, double number) {
  if (number == 0) return sections.count >= 3 && !sections.section[2].empty() ? 2 : 0;
  if (number > 0) return 0;
  return sections.count >= 2 && !sections.section[1].empty() ? 1 : 0;
}

std::optional<std::string> ApplyPattern(const Subject& subject, std::string_view pattern,
                                        const RegionalSettings& regional) {
  const std::optional<PatternSections> sections = SplitSections(pattern);
  if (!sections) return std::nullopt;
  const size_t index = SectionIndexFor(*sections, subject.number);
  std::string out;
  const Shown shown = AppendSection(out, subject, sections->section[index], regional);
  if (shown == Shown::Failed) return std::nullopt;
  if (subject.number < 0 && shown == Shown::Zero && index == 1) {
    out.clear();
    if (AppendSection(out, Subject{}, sections->section[0], regional) == Shown::Failed)
      return std::nullopt;
  } else if (subject.number < 0 && shown == Shown::Number && index == 0) {
    out.insert(0, 1, '-');
  }
  return out;
}

// The amount, sign and symbol in the order and spacing of the C library's monetary rules.
std::string ArrangeCurrency(const std::string& amount, bool negative,
                            const RegionalSettings& regional) {
  const CurrencyPlacement& placement =
      negative ? regional.negativeCurrency : regional.positiveCurrency;
  const std::string& sign = negative ? regional.negativeSign : regional.positiveSign;
  const std::string signGap = placement.separatedBySpace == 2 && !sign.empty() ? " " : "";
  const bool bracketed = placement.signPosition == 0;
  std::string symbol = regional.currencySymbol;
  if (placement.signPosition == 3) symbol = sign + signGap + symbol;
  if (placement.signPosition == 4) symbol += signGap + sign;
  const bool spaced =
      placement.separatedBySpace == 1 || (bracketed && placement.separatedBySpace == 2);
  const std::string gap = spaced ? " " : "";
  const std::string core = placement.symbolPrecedes ? symbol + gap + amount : amount + gap + symbol;
  switch (placement.signPosition) {
    case 0:
      return negative ? "(" + core + ")" : core;
    case 1:
      return sign + signGap + core;
    case 2:
      return core + signGap + sign;
    default:
      return core;
  }
}

std::string FormatCurrency(double value, const RegionalSettings& regional) {
  std::string section = "#,##0";
  if (regional.currencyDigits > 0) {
    section += '.';
    section.append(static_cast<size_t>(regional.currencyDigits), '0');
  }
  std::string amount;
  const bool nonzero = AppendNumericSection(
      amount, section, AnalyzeNumericSection(section), DecimalDigits::FromDouble(value),
      {regional.currencyDecimalSeparator, regional.currencyThousandsSeparator});
  return ArrangeCurrency(amount, value < 0 && nonzero, regional);
}

std::string GeneralForm(const Subject& subject, const RegionalSettings& regional) {
  std::string out;
  if (subject.moment != nullptr) {
    AppendGeneralDateTime(out, *subject.moment, regional);
  } else {
    AppendGeneralNumber(out, subject.number, regional.decimalSeparator);
  }
  return out;
}

std::optional<std::string> FormatSubject(const Subject& subject, std::string_view pattern,
                                         const RegionalSettings& regional) {
  if (pattern.size() > kMaxPatternLength) return std::nullopt;
  if (pattern.empty()) return GeneralForm(subject, regional);
  if (const NamedFormat* named = FindNamedFormat(pattern)) {
    if (named->special == Special::GeneralNumber) return GeneralForm({subject.number}, regional);
    if (named->special == Special::Currency) return FormatCurrency(subject.number, regional);
    pattern = named->pattern;
  }
  return ApplyPattern(subject, pattern, regional);
}

}  // namespace

char DecimalSeparatorOf(const RegionalSettings& regional) {
  const std::optional<std::string> tenth = FormatNumber(0.1, "0.0", regional);
  return tenth && tenth->find(',') != std::string::npos ? ',' : '.';
}

std::optional<std::string> FormatNumber(double value, std::string_view pattern,
                                        const RegionalSettings& regional) {
  if (!std::isfinite(value)) return std::nullopt;
  return FormatSubject({value}, pattern, regional);
}

std::optional<std::string> FormatText(std::string_view text, std::string_view pattern,
                                      const RegionalSettings& regional) {
  if (pattern.empty()) return std::string(text);
  const std::optional<double> number = NumberFromRegionalText(text, regional);
  if (!number) return std::string(text);
  return FormatNumber(*number, pattern, regional);
}

std::optional<std::string> FormatBoolean(bool value, std::string_view pattern,
                                         const RegionalSettings& regional) {
  if (pattern.empty()) return std::string(value ? "True" : "False");
  return FormatNumber(value ? -1 : 0, pattern, regional);
}

std::optional<std::string> FormatDateTime(const LocalDateTime& moment, std::string_view pattern,
                                          const RegionalSettings& regional) {
  if (!IsValidDateTime(moment)) return std::nullopt;
  return FormatSubject({SerialFromDateTime(moment), &moment}, pattern, regional);
}

}  // namespace fenno
