#include "engine/format_date.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/format_pattern.h"

namespace fenno {

namespace {

// Day numbers count from 1 January 1970 on the proleptic Gregorian calendar.
constexpr long DaysFromCivil(long year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yearOfEra = year - era * 400;
  const long dayOfYear = (153L * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long days, LocalDateTime& moment) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long dayOfEra = days - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long shiftedMonth = (5 * dayOfYear + 2) / 153;
  moment.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  moment.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  moment.year = static_cast<int>(yearOfEra + era * 400 + (moment.month <= 2 ? 1 : 0));
}

constexpr long kSerialEpoch = DaysFromCivil(1899, 12, 30);
constexpr int kSecondsPerDay = 86400;

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// 0 = Sunday.
int DayOfWeek(long days) {
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

enum class DateToken {
  Literal,
  Day,
  Week,
  Month,
  Quarter,
  Year,
  Hour,
  Minute,
  Second,
  LongTime,
  General,
  DateSeparator,
  TimeSeparator,
  AmPm,
  AOrP,
  RegionalAmPm
};

struct DateItem {
  DateToken kind;
  size_t width;           // placeholder letters taken
  std::string_view text;  // the literal, or the AM/PM letters as written
};

// How often `lower` repeats from section[i], counted up to the longest placeholder (six
// letters) so that a long run costs no more than a short one.
size_t RunLength(std::string_view section, size_t i, char lower) {
  constexpr size_t kLongestPlaceholder = 6;
  const size_t limit = std::min(section.size(), i + kLongestPlaceholder);
  size_t end = i;
  while (end < limit && LowerAscii(section[end]) == lower) ++end;
  return end - i;
}

DateItem AmPmItem(std::string_view rest) {
  if (StartsWithNoCase(rest, "am/pm")) return {DateToken::AmPm, 5, rest.substr(0, 5)};
  if (StartsWithNoCase(rest, "ampm")) return {DateToken::RegionalAmPm, 4, {}};
  if (StartsWithNoCase(rest, "a/p")) return {DateToken::AOrP, 3, rest.substr(0, 3)};
  return {DateToken::Literal, 1, rest.substr(0, 1)};
}

// Placeholders that take a run of their letter, up to `longest` letters.
struct LetterRule {
  char letter;
  DateToken kind;
  size_t longest;
};

constexpr LetterRule kLetterRules[] = {
    {'d', DateToken::Day, 6},           {'w', DateToken::Week, 2},
    {'m', DateToken::Month, 4},         {'h', DateToken::Hour, 2},
    {'n', DateToken::Minute, 2},        {'s', DateToken::Second, 2},
    {'q', DateToken::Quarter, 1},       {'c', DateToken::General, 1},
    {'/', DateToken::DateSeparator, 1}, {':', DateToken::TimeSeparator, 1}};

DateItem LetterItem(std::string_view rest, char lower, size_t run) {
  for (const LetterRule& rule : kLetterRules)
    if (rule.letter == lower) return {rule.kind, std::min(run, rule.longest), {}};
  if (lower == 'y') return {DateToken::Year, run >= 4 ? 4u : run >= 2 ? 2u : 1u, {}};
  if (lower == 't' && run >= 5) return {DateToken::LongTime, 5, {}};
  // Fewer than five t's are text, as is anything else.
  const size_t width = lower == 't' ? run : 1;
  return {DateToken::Literal, width, rest.substr(0, width)};
}

// Reads the item at section[i] and moves i past it.
DateItem NextDateItem(std::string_view section, size_t& i) {
  std::string_view literal;
  if (ReadLiteral(section, i, literal)) return {DateToken::Literal, 0, literal};
  const std::string_view rest = section.substr(i);
  const char lower = LowerAscii(section[i]);
  const DateItem item =
      lower == 'a' ? AmPmItem(rest) : LetterItem(rest, lower, RunLength(section, i, lower));
  i += item.width;
  return item;
}

bool UsesTwelveHourClock(std::string_view section) {
  for (size_t i = 0; i < section.size();) {
    const DateToken kind = NextDateItem(section, i).kind;
    if (kind == DateToken::AmPm || kind == DateToken::AOrP || kind == DateToken::RegionalAmPm)
      return true;
  }
  return false;
}

void AppendPadded(std::string& out, long value, size_t width) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  const auto length = static_cast<size_t>(end - text);
  if (length < width) out.append(width - length, '0');
  out.append(text, length);
}

class DateRenderer {
 public:
  DateRenderer(std::string& out, const LocalDateTime& moment, const RegionalSettings& regional,
               int depth)
      : out_(out), moment_(moment), regional_(regional), depth_(depth) {
    dayNumber_ = DaysFromCivil(moment.year, moment.month, moment.day);
    weekday_ = DayOfWeek(dayNumber_);
  }

  void Render(std::string_view section) {
    twelveHour_ = UsesTwelveHourClock(section);
    for (size_t i = 0; i < section.size();) Put(NextDateItem(section, i));
  }

  void RenderGeneral() {
    if (dayNumber_ != kSerialEpoch) {
      Expand(regional_.shortDatePattern);
      out_ += ' ';
    }
    Expand(regional_.longTimePattern);
  }

 private:
  void Put(const DateItem& item) {
    switch (item.kind) {
      case DateToken::Literal:
        out_ += item.text;
        return;
      case DateToken::DateSeparator:
        out_ += regional_.dateSeparator;
        return;
      case DateToken::TimeSeparator:
        out_ += regional_.timeSeparator;
        return;
      case DateToken::AmPm:
        out_ += item.text.substr(IsMorning() ? 0 : 3, 2);
        return;
      case DateToken::AOrP:
        out_ += item.text.substr(IsMorning() ? 0 : 2, 1);
        return;
      case DateToken::RegionalAmPm:
        out_ += IsMorning() ? regional_.amText : regional_.pmText;
        return;
      case DateToken::Hour:
        AppendPadded(out_, DisplayHour(), item.width);
        afterHour_ = true;
        return;
      default:
        PutValue(item);
        afterHour_ = false;
    }
  }

  void PutValue(const DateItem& item) {
    switch (item.kind) {
      case DateToken::Day:
        PutDay(item.width);
        break;
      case DateToken::Week:
        AppendPadded(out_, item.width == 1 ? weekday_ + 1 : WeekOfYear(), 1);
        break;
      case DateToken::Month:
        PutMonth(item.width);
        break;
      case DateToken::Quarter:
        AppendPadded(out_, (moment_.month - 1) / 3 + 1, 1);
        break;
      case DateToken::Year:
        PutYear(item.width);
        break;
      case DateToken::Minute:
        AppendPadded(out_, moment_.minute, item.width);
        break;
      case DateToken::Second:
        AppendPadded(out_, moment_.second, item.width);
        break;
      case DateToken::LongTime:
        Expand(regional_.longTimePattern);
        break;
      case DateToken::General:
        RenderGeneral();
        break;
      default:
        break;
    }
  }

  void PutDay(size_t width) {
    const auto weekday = static_cast<size_t>(weekday_);
    switch (width) {
      case 3:
        out_ += regional_.dayAbbreviations[weekday];
        break;
      case 4:
        out_ += regional_.dayNames[weekday];
        break;
      case 5:
        Expand(regional_.shortDatePattern);
        break;
      case 6:
        Expand(regional_.longDatePattern);
        break;
      default:
        AppendPadded(out_, moment_.day, width);
    }
  }

  void PutMonth(size_t width) {
    const auto month = static_cast<size_t>(moment_.month - 1);
    if (width <= 2 && afterHour_) {
      AppendPadded(out_, moment_.minute, width);
    } else if (width <= 2) {
      AppendPadded(out_, moment_.month, width);
    } else {
      out_ += width == 3 ? regional_.monthAbbreviations[month] : regional_.monthNames[month];
    }
  }

  void PutYear(size_t width) {
    if (width == 1) {
      AppendPadded(out_, DayOfYear(), 1);
    } else {
      AppendPadded(out_, width == 2 ? moment_.year % 100 : moment_.year, width);
    }
  }

  // Regional layouts are expanded one level deep only, so that a layout naming itself
  // cannot recurse.
  void Expand(std::string_view layout) {
    if (depth_ == 0) DateRenderer(out_, moment_, regional_, depth_ + 1).Render(layout);
  }

  bool IsMorning() const { return moment_.hour < 12; }
  int DisplayHour() const {
    if (!twelveHour_) return moment_.hour;
    return moment_.hour % 12 == 0 ? 12 : moment_.hour % 12;
  }
  long DayOfYear() const { return dayNumber_ - DaysFromCivil(moment_.year, 1, 1) + 1; }
  long WeekOfYear() const {
    const int firstWeekday = DayOfWeek(DaysFromCivil(moment_.year, 1, 1));
    return (DayOfYear() - 1 + firstWeekday) / 7 + 1;
  }

  std::string& out_;
  const LocalDateTime& moment_;
  const RegionalSettings& regional_;
  int depth_;
  long dayNumber_ = 0;
  int weekday_ = 0;
  bool twelveHour_ = false;
  bool afterHour_ = false;
};

}  // namespace

bool IsValidDateTime(const LocalDateTime& moment) {
  return moment.year >= 1 && moment.year <= 9999 && moment.month >= 1 && moment.month <= 12 &&
         moment.day >= 1 && moment.day <= DaysInMonth(moment.year, moment.month) &&
         moment.hour >= 0 && moment.hour <= 23 && moment.minute >= 0 && moment.minute <= 59 &&
         moment.second >= 0 && moment.second <= 60;
}

double SerialFromDateTime(const LocalDateTime& moment) {
  const long days = DaysFromCivil(moment.year, moment.month, moment.day) - kSerialEpoch;
  const double time = (moment.hour * 3600 + moment.minute * 60 + moment.second) /
                      static_cast<double>(kSecondsPerDay);
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

std::optional<LocalDateTime> DateTimeFromSerial(double serial) {
  // 1 January 100 and the day after 31 December 9999.
  if (!(serial >= -657434.0 && serial < 2958466.0)) return std::nullopt;
  const double wholeDays = std::trunc(serial);
  long days = static_cast<long>(wholeDays);
  long seconds = std::lround(std::fabs(serial - wholeDays) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    ++days;
  }
  LocalDateTime moment;
  CivilFromDays(days + kSerialEpoch, moment);
  if (moment.year > 9999) return std::nullopt;
  moment.hour = static_cast<int>(seconds / 3600);
  moment.minute = static_cast<int>(seconds / 60 % 60);
  moment.second = static_cast<int>(seconds % 60);
  return moment;
}

bool HasDateTimePlaceholder(std::string_view section) {
  for (size_t i = 0; i < section.size();) {
    const DateToken kind = NextDateItem(section, i).kind;
    if (kind != DateToken::Literal && kind != DateToken::DateSeparator &&
        kind != DateToken::TimeSeparator)
      return true;
  }
  return false;
}

void AppendDateTimeSection(std::string& out, std::string_view section, const LocalDateTime& moment,
                           const RegionalSettings& regional) {
  DateRenderer(out, moment, regional, 0).Render(section);
}

void AppendGeneralDateTime(std::string& out, const LocalDateTime& moment,
                           const RegionalSettings& regional) {
  DateRenderer(out, moment, regional, 0).RenderGeneral();
}

}  // namespace fenno
