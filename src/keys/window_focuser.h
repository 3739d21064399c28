#pragma once

// Bringing the target window to the front on a desktop where the program cannot see other
// programs' windows itself, and giving the focus back afterwards.

#include <optional>
#include <string>

namespace fenno {

struct FocusedTarget {
  bool found = false;
  std::string target;    // the desktop's id of the window brought to the front
  std::string previous;  // the window that had the focus before, "" for none
  bool wasMinimized = false;
};

class WindowFocuser {
 public:
  virtual ~WindowFocuser() = default;
  // Brings the topmost window whose title contains `titlePiece` (compared in upper case)
  // to the front; nullopt when the desktop did not answer.
  virtual std::optional<FocusedTarget> Focus(const std::string& titlePiece) = 0;
  // Minimises the target again if it was minimised and gives the focus back.
  virtual void GiveBack(const FocusedTarget& focused) = 0;
};

}  // namespace fenno
