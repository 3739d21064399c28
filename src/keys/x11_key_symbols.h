#pragma once

// The virtual keys every keyboard layout has, by key symbol, shared by the X11 keymap and
// the xkbcommon keymap of Wayland sessions (XKB key symbols are X key symbols).

#include <X11/keysym.h>

#include <utility>

#include "keys/virtual_keys.h"

namespace fenno::key_symbols {

// Keys whose virtual key does not depend on the layout.
inline constexpr std::pair<int, unsigned long> kNamedKeys[] = {
    {vk::kBackspace, XK_BackSpace},
    {vk::kTab, XK_Tab},
    {vk::kClear, XK_Clear},
    {vk::kEnter, XK_Return},
    {vk::kShift, XK_Shift_L},
    {vk::kControl, XK_Control_L},
    {vk::kAlt, XK_Alt_L},
    {vk::kPause, XK_Pause},
    {vk::kCapsLock, XK_Caps_Lock},
    {vk::kEscape, XK_Escape},
    {vk::kSpace, XK_space},
    {vk::kPageUp, XK_Prior},
    {vk::kPageDown, XK_Next},
    {vk::kEnd, XK_End},
    {vk::kHome, XK_Home},
    {vk::kLeft, XK_Left},
    {vk::kUp, XK_Up},
    {vk::kRight, XK_Right},
    {vk::kDown, XK_Down},
    {vk::kPrintScreen, XK_Print},
    {vk::kInsert, XK_Insert},
    {vk::kDelete, XK_Delete},
    {vk::kHelp, XK_Help},
    {vk::kMultiply, XK_KP_Multiply},
    {vk::kAdd, XK_KP_Add},
    {vk::kSeparator, XK_KP_Separator},
    {vk::kSubtract, XK_KP_Subtract},
    {vk::kDecimal, XK_KP_Decimal},
    {vk::kDivide, XK_KP_Divide},
    {vk::kNumLock, XK_Num_Lock},
    {vk::kScrollLock, XK_Scroll_Lock},
};

// Punctuation keys by what they type unshifted on a US layout.
inline constexpr std::pair<int, char> kPunctuationKeys[] = {
    {vk::kSemicolon, ';'},    {vk::kEquals, '='},      {vk::kComma, ','},
    {vk::kMinus, '-'},        {vk::kPeriod, '.'},      {vk::kSlash, '/'},
    {vk::kGrave, '`'},        {vk::kBracketLeft, '['}, {vk::kBackslash, '\\'},
    {vk::kBracketRight, ']'}, {vk::kApostrophe, '\''},
};

// Virtual keys given to the other keys that type characters.
inline constexpr int kSpareVks[] = {0xE2, 0xDF, 0xE1, 0xE3, 0xE4, 0xE6, 0xE9, 0xEA, 0xEB, 0xEC,
                                    0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xC1,
                                    0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB};

// The key of a control character every layout types the same way; 0 for the others.
inline int ControlCharacterKey(unsigned char character) {
  switch (character) {
    case '\b':
      return vk::kBackspace;
    case '\t':
      return vk::kTab;
    case '\r':
    case '\n':
      return vk::kEnter;
    case 27:
      return vk::kEscape;
    default:
      return 0;
  }
}

}  // namespace fenno::key_symbols
