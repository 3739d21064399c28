#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "keys/window_system.h"
#include "keys/x11_connection.h"

namespace fenno {

// Top-level windows of an X display. With a window manager that follows the EWMH
// conventions, its client list gives the stacking order and activation goes through it;
// without one, the root window's children are the top-level windows and activation sets
// the input focus directly (windows cannot be minimised then).
class X11WindowSystem : public WindowSystem {
 public:
  explicit X11WindowSystem(X11Connection& connection) : connection_(connection) {}

  WindowId ForegroundWindow() override;
  std::vector<TopLevelWindow> WindowsInZOrder() override;
  std::string WindowTitle(WindowId window) override;
  bool RequestActivation(WindowId window) override;
  void RestoreWindow(WindowId window) override;
  void MinimizeWindow(WindowId window) override;
  bool IsMinimized(WindowId window) override;
  bool IsOwnWindow(WindowId window) override;
  int StartProgram(const std::string& commandLine) override;

 private:
  bool HasWindowManager(Display* display);
  std::vector<Window> StackingTopFirst(Display* display);
  Window ClientWindow(Display* display, Window frame, int depth = 0);
  Window TopLevelOf(Display* display, Window window);
  bool Exists(Display* display, Window window);
  void SendToRoot(Display* display, Window window, const char* message, const long (&data)[5]);

  X11Connection& connection_;
};

// An X title (UTF-8, or Latin-1 for the STRING type) as 8-bit Latin-1 text.
std::string TitleToLatin1(const std::string& bytes, bool utf8);

}  // namespace fenno
