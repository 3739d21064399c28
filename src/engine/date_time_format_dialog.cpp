#include "engine/date_time_format_dialog.h"

#include "config/translation_text_ids.h"
#include "engine/formatter.h"

namespace fenno {

std::string LoadDateTimeFormat(const Settings& settings) {
  return settings.DateTimeFormat;
}

DialogCheck CheckDateTimeFormat(const std::string& format, const RegionalSettings& regional) {
  constexpr const char* kField = "Text1";
  if (DialogCheck lines = CheckSingleLine(format, kField); !lines.Accepted()) return lines;
  // Whether a pattern applies does not depend on the moment: any valid one will do.
  const LocalDateTime someMoment{2026, 12, 5, 14, 30, 15, 0};
  if (!FormatDateTime(someMoment, format, regional))
    return DialogCheck::Refuse(str::kDateTimeFormatInvalid, str::kDateTimeFormatInvalidTitle,
                               kField);
  return DialogCheck::Accept();
}

bool StoreDateTimeFormat(const std::string& format, Settings& settings) {
  if (settings.DateTimeFormat == format) return false;
  settings.DateTimeFormat = format;
  return true;
}

}  // namespace fenno
