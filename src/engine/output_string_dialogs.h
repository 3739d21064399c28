#pragma once

// The rules of the output string editor (SendStringForm): the acknowledgement, the timed
// output and the twenty button strings with their captions. The dialog edits a copy; OK
// checks and stores it.

#include <array>
#include <string>

#include "base/dialog_check.h"
#include "base/limits.h"
#include "config/settings.h"

namespace fenno {

enum class TimerAction { TransmitString = 0, ToggleDtr = 1, IssueBreak = 2 };

struct OutputStringValues {
  std::string ackString;    // raw bytes
  std::string timerString;  // raw bytes
  std::string interval;     // milliseconds, as typed
  bool timerOn = false;     // timed output runs from activation on
  TimerAction action = TimerAction::TransmitString;
  // Entries 1..20; entry 0 is unused, as in the settings.
  std::array<std::string, kOutputStrings + 1> captions;
  std::array<std::string, kOutputStrings + 1> strings;  // raw bytes
};

OutputStringValues LoadOutputStrings(const Settings& settings);
// Refuses an interval of 100000000 ms or more (field "Interval") and a button caption
// with a line break (field "StringControlCaption"; `*captionEntry` says which entry).
DialogCheck CheckOutputStrings(const OutputStringValues& values, int* captionEntry = nullptr);
// True when anything differs from the settings.
bool StoreOutputStrings(const OutputStringValues& values, Settings& settings);

}  // namespace fenno
