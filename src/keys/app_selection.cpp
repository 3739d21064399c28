#include "keys/app_selection.h"

#include <limits>

#include "keys/command_words.h"
#include "keys/leading_number.h"

namespace fenno {

AppSelection LoadAppSelection(const Settings& settings) {
  return {settings.TargetAppTitle, settings.TargetAppCommand,
          std::to_string(settings.InterCharDelay)};
}

bool StoreAppSelection(const AppSelection& typed, Settings& settings) {
  const double delay = LeadingNumber(typed.interCharDelay);
  if (typed.command == settings.TargetAppCommand && typed.title == settings.TargetAppTitle &&
      delay == settings.InterCharDelay)
    return false;
  settings.TargetAppTitle = std::string(TrimBlanks(typed.title));
  settings.TargetAppCommand = std::string(TrimBlanks(typed.command));
  settings.InterCharDelay = static_cast<int32_t>(RoundHalfEven(
      delay, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  settings.TargetSpecified = !settings.TargetAppCommand.empty() || !settings.TargetAppTitle.empty();
  return true;
}

}  // namespace fenno
