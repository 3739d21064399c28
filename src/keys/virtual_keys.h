#pragma once

// Windows virtual-key codes. Key queues and stored hot-key codes use this numbering on
// every platform; the keyboard backends translate it to their own keys.

namespace fenno::vk {

inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kClear = 12;
inline constexpr int kEnter = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kPause = 19;
inline constexpr int kCapsLock = 20;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kPrintScreen = 44;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int kHelp = 47;
inline constexpr int kDigit0 = 48;
inline constexpr int kLetterA = 65;
inline constexpr int kNumPad0 = 96;
inline constexpr int kMultiply = 106;
inline constexpr int kAdd = 107;
inline constexpr int kSeparator = 108;
inline constexpr int kSubtract = 109;
inline constexpr int kDecimal = 110;
inline constexpr int kDivide = 111;
inline constexpr int kF1 = 112;
inline constexpr int kNumLock = 144;
inline constexpr int kScrollLock = 145;
// Punctuation keys, named after what they type on a US layout.
inline constexpr int kSemicolon = 186;
inline constexpr int kEquals = 187;
inline constexpr int kComma = 188;
inline constexpr int kMinus = 189;
inline constexpr int kPeriod = 190;
inline constexpr int kSlash = 191;
inline constexpr int kGrave = 192;
inline constexpr int kBracketLeft = 219;
inline constexpr int kBackslash = 220;
inline constexpr int kBracketRight = 221;
inline constexpr int kApostrophe = 222;
inline constexpr int kOem102 = 226;  // the extra key beside left Shift on ISO keyboards

}  // namespace fenno::vk
