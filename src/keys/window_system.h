#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fenno {

using WindowId = uint64_t;
inline constexpr WindowId kNoWindow = 0;

struct TopLevelWindow {
  WindowId id = kNoWindow;
  std::string title;  // 8-bit text; characters outside Latin-1 read as "?"
};

// The desktop's top-level windows, as far as keystroke output needs them.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // The window that receives keystrokes now, or kNoWindow.
  virtual WindowId ForegroundWindow() = 0;
  // Top-level windows with their titles, the topmost first (minimised ones included).
  virtual std::vector<TopLevelWindow> WindowsInZOrder() = 0;
  virtual std::string WindowTitle(WindowId window) = 0;
  // Asks for the window to become the foreground window. Window managers act on this
  // later; callers watch ForegroundWindow. False when the request could not be made.
  virtual bool RequestActivation(WindowId window) = 0;
  virtual void RestoreWindow(WindowId window) = 0;
  virtual void MinimizeWindow(WindowId window) = 0;
  virtual bool IsMinimized(WindowId window) = 0;
  // True for windows of this process, which keystrokes must never be typed into.
  virtual bool IsOwnWindow(WindowId window) = 0;
  // Starts the program of a command line (split into words as a shell does) detached
  // from this process. Returns 0, or the system error number when it cannot start.
  virtual int StartProgram(const std::string& commandLine) = 0;
};

}  // namespace fenno
