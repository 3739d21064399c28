#include "engine/output_string_dialogs.h"

#include <algorithm>
#include <cstdint>

#include "engine/output_text_ids.h"

namespace fenno {
namespace {

// The number the interval text begins with, 0 if none; saturates far above the limit so
// that a long row of digits is refused instead of wrapping around.
int64_t LeadingInterval(const std::string& text) {
  size_t at = text.find_first_not_of(' ');
  int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    value = std::min<int64_t>(value * 10 + (text[at] - '0'), int64_t{1} << 40);
  return value;
}

int16_t ActionBit(TimerAction action) {
  switch (action) {
    case TimerAction::ToggleDtr:
      return kTimerPulsesDtr;
    case TimerAction::IssueBreak:
      return kTimerIssuesBreak;
    case TimerAction::TransmitString:
      break;
  }
  return kTimerSendsString;
}

}  // namespace

OutputStringValues LoadOutputStrings(const Settings& settings) {
  OutputStringValues values;
  values.ackString = settings.AckString;
  values.timerString = settings.TimerString;
  values.interval = std::to_string(settings.TimerInterval);
  values.timerOn = (settings.TimerFlags & kTimerOnAtStart) != 0;
  if (settings.TimerFlags & kTimerPulsesDtr)
    values.action = TimerAction::ToggleDtr;
  else if (settings.TimerFlags & kTimerIssuesBreak)
    values.action = TimerAction::IssueBreak;
  values.captions = settings.ButtonCaption;
  values.strings = settings.ButtonString;
  return values;
}

DialogCheck CheckOutputStrings(const OutputStringValues& values, int* captionEntry) {
  if (LeadingInterval(values.interval) >= kTimerIntervalLimit)
    return DialogCheck::Refuse(str::kTimerIntervalTooLarge, str::kInvalidIntervalTitle, "Interval");
  for (int entry = 1; entry <= kOutputStrings; ++entry) {
    DialogCheck check = CheckSingleLine(values.captions[entry], "StringControlCaption");
    if (check.Accepted()) continue;
    if (captionEntry) *captionEntry = entry;
    return check;
  }
  return DialogCheck::Accept();
}

bool StoreOutputStrings(const OutputStringValues& values, Settings& settings) {
  Settings before = settings;
  settings.AckString = values.ackString;
  settings.TimerString = values.timerString;
  settings.TimerInterval = static_cast<int32_t>(LeadingInterval(values.interval));
  settings.TimerFlags =
      static_cast<int16_t>((values.timerOn ? kTimerOnAtStart : 0) | ActionBit(values.action));
  for (int entry = 1; entry <= kOutputStrings; ++entry) {
    settings.ButtonCaption[entry] = values.captions[entry];
    settings.ButtonString[entry] = values.strings[entry];
  }
  return before.AckString != settings.AckString || before.TimerString != settings.TimerString ||
         before.TimerInterval != settings.TimerInterval ||
         before.TimerFlags != settings.TimerFlags ||
         before.ButtonCaption != settings.ButtonCaption ||
         before.ButtonString != settings.ButtonString;
}

}  // namespace fenno
