#pragma once

// The fixed sizes of a record and of the tables around it, shared by the settings, the
// expression values and the engine.

namespace fenno {

inline constexpr int kMaxFields = 40;      // fields 1..40
inline constexpr int kFieldSlots = 43;     // value slots 0..42 of a record being assembled
inline constexpr int kOutputStrings = 20;  // output strings 1..20
inline constexpr int kHotKeys = 50;        // hot keys 0..49
inline constexpr int kTableSize = 256;     // entries of each translation table
inline constexpr int kNamedFormats = 6;    // named formats 1..6

}  // namespace fenno
