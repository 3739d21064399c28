#pragma once

// What a dialog's check answers: accepted, or the message to show (a string-table text
// with its title and the values of its %1, %2, ...) and the field to give the focus to.
// Every dialog that edits settings has its rules as plain functions in its subsystem:
//   XxxValues LoadXxx(const Settings&)           what the dialog shows when it opens
//   DialogCheck CheckXxx(const XxxValues&, ...)  OK pressed: accepted or refused
//   bool StoreXxx(const XxxValues&, Settings&)   OK accepted: true when anything changed,
//                                                which marks the configuration modified
// A dialog that refuses nothing has no check. The window shows the message, focuses the
// field named here (its object name) and commits nothing when a check refuses.

#include <string>
#include <string_view>
#include <vector>

namespace fenno {

struct DialogCheck {
  int message = 0;  // string-table number; 0 when accepted
  int title = 0;    // string-table number of the message box title
  std::string field;
  std::vector<std::string> arguments;

  bool Accepted() const { return message == 0; }
  static DialogCheck Accept() { return {}; }
  static DialogCheck Refuse(int message, int title, std::string field,
                            std::vector<std::string> arguments = {}) {
    return {message, title, std::move(field), std::move(arguments)};
  }
};

// Captions, formats, expressions, application names, keystroke entries and paths are kept
// on one line of the configuration file; a line break typed or pasted into one would cut
// the saved file, so such a field refuses it.
inline constexpr int kTextHasLineBreak = 10690;
inline constexpr int kTextHasLineBreakTitle = 10691;  // "Line Break Not Allowed"

inline DialogCheck CheckSingleLine(std::string_view text, std::string field) {
  if (text.find_first_of("\r\n") == std::string_view::npos) return DialogCheck::Accept();
  return DialogCheck::Refuse(kTextHasLineBreak, kTextHasLineBreakTitle, std::move(field));
}

}  // namespace fenno
