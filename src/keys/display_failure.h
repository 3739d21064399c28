#pragma once

#include <functional>
#include <string>

namespace fenno {

class Prompt;
class StringTable;

// Why the X11 backends cannot work.
enum class DisplayFailure { NoDisplay, NoXTest };
using DisplayFailureReport = std::function<void(DisplayFailure, const std::string& displayName)>;

// Tells the user in a message box that there is no usable X11 display, so that keystrokes
// (and hot keys) cannot work. The X11 connection reports this once.
DisplayFailureReport ReportDisplayFailureThrough(Prompt& prompt, const StringTable& texts);

}  // namespace fenno
