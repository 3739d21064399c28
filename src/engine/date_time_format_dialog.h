#pragma once

// The rules of the date/time format dialog (frmDateTimeFmt), opened when the setup window's
// "Display Date/Time" item is switched on: the format the engine window's clock uses, empty
// for the regional date and time.

#include <string>

#include "base/dialog_check.h"
#include "config/settings.h"
#include "engine/regional.h"

namespace fenno {

std::string LoadDateTimeFormat(const Settings& settings);
// Refuses a line break and a format the clock cannot apply (an open quote, a lone
// backslash at the end), in the field "Text1".
DialogCheck CheckDateTimeFormat(const std::string& format, const RegionalSettings& regional);
// True when the format changed.
bool StoreDateTimeFormat(const std::string& format, Settings& settings);

}  // namespace fenno
