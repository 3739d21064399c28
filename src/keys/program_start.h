#pragma once

#include <string>
#include <vector>

namespace fenno {

// Starts a program detached from this process (its own session, reaped at once, none of
// our open files inherited), with `extraEnvironment` entries ("NAME=value") replacing
// those of ours. A program name without "/" is looked up in PATH. Returns 0 when the
// program is running, or the error number of why it could not start.
int StartDetached(const std::vector<std::string>& words,
                  const std::vector<std::string>& extraEnvironment = {});

}  // namespace fenno
