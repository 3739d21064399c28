#pragma once

// String-table numbers of the engine window's own texts (data in
// src/base/strings/engine_window.*.txt).

namespace fenno::str {

inline constexpr int kDtrToggleButton = 10701;
inline constexpr int kBreakButton = 10702;
inline constexpr int kFieldBoxesName = 10707;     // accessible name of the field column
inline constexpr int kStringButtonsName = 10708;  // accessible name of the button group

}  // namespace fenno::str
