#pragma once

// --print-config: every stored setting of a configuration file as "Name = value" lines, in
// the order of the file layout. Indexed settings are named like FieldFilter(3); numbers are
// decimal; flags are -1 (True) or 0 (False), as the file stores them; texts are in double
// quotes with \r, \n, \t, \\, \" and \xHH (two upper-case hex digits) for every other byte
// below 32 or above 126. The pre-transfer tables of DDE and log mode are printed one entry per
// code, DdeTranslation(0) .. DdeTranslation(255), like the other tables.

#include <string>
#include <string_view>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"

namespace fenno {

std::string PrintConfig(const Settings& settings, const Edition& edition);

// A byte text in double quotes with the escapes above.
std::string QuoteText(std::string_view text);

// Loads path as the load procedure does and, when it was read, puts the listing in output.
// Answers the exit status: 0 when the file was read, 1 when it is missing or invalid (the
// message goes through prompt).
int PrintConfigCommand(const Edition& edition, const std::string& path, const StringTable& strings,
                       Prompt& prompt, std::string& output);

// The program's --print-config: the listing on standard output, messages on standard error.
int RunPrintConfig(const Edition& edition, const std::string& path);

}  // namespace fenno
