#pragma once

// What the user is told when hot keys cannot work.

#include <functional>

#include "keys/display_failure.h"

namespace fenno {

class Prompt;
class StringTable;

enum class HotKeyProblem {
  InUse,       // another program has taken the key combination
  NotOnLayout  // the keyboard layout has no such key
};
// `code` is the configured hot-key code (modifiers x 256 + virtual key).
using HotKeyProblemReport = std::function<void(HotKeyProblem, int code)>;

HotKeyProblemReport ReportHotKeyProblemsThrough(Prompt& prompt, const StringTable& texts);
// For a display connection that serves the hot keys alone.
DisplayFailureReport ReportHotKeyDisplayFailureThrough(Prompt& prompt, const StringTable& texts);

}  // namespace fenno
