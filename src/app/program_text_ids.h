#pragma once

// String-table numbers of the program start-up messages (data in src/base/strings/program.*.txt);
// 10601, a configuration that cannot be read, is in config/setup_text_ids.h.

namespace fenno::str {

inline constexpr int kInputEndedWhileSuspended = 10603;

}  // namespace fenno::str
