#pragma once

// An Xlib connection of its own for the X11 backends (keystrokes, windows, hot keys), so
// that they work the same with and without a Qt GUI. Xlib's macros (None, Bool, Status)
// break other headers: include this and the other x11_*.h headers last. The connection
// opens on first use; when there is no display it reports that once and every backend
// does nothing.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "keys/display_failure.h"
#include "keys/qt_socket_watch.h"

// Xlib comes after the headers its macros would break.
#include <X11/Xlib.h>

namespace fenno {

class X11Connection {
 public:
  // An empty display name means $DISPLAY.
  explicit X11Connection(std::string displayName = {}, DisplayFailureReport report = {});
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  // The display, or nullptr when it cannot be opened or has gone away.
  Display* Get();
  // True when the display offers XTEST fake input (checked and reported once).
  bool HasXTest();
  const std::string& DisplayName() const { return displayName_; }
  Window Root();
  Atom Intern(const char* name);

  // Handlers see every event the connection receives. Returns an id for RemoveEventHandler.
  int AddEventHandler(std::function<void(XEvent&)> handler);
  void RemoveEventHandler(int id);
  // Reads the events that have arrived and hands each to the handlers. Runs by itself from
  // the Qt event loop when there is one.
  void ProcessPendingEvents();

 private:
  void Open();
  void Report(DisplayFailure failure);
  static void OnIoErrorExit(Display* display, void* self);

  std::string displayName_;
  DisplayFailureReport report_;
  Display* display_ = nullptr;
  bool opened_ = false, lost_ = false, reported_ = false;
  int xtest_ = -1;  // -1 unknown, 0 missing, 1 present
  std::map<std::string, Atom> atoms_;
  std::map<int, std::function<void(XEvent&)>> handlers_;
  int nextHandlerId_ = 1;
  std::unique_ptr<SocketWatch> watch_;
};

// Collects the X protocol errors of one display while it lives, instead of letting Xlib end
// the program (windows of other programs may vanish at any moment).
class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server to handle every request so far and tells whether one failed.
  bool Failed();

 private:
  friend int HandleXError(Display* display, XErrorEvent* error);
  Display* display_;
  X11ErrorTrap* outer_;
  unsigned long firstRequest_;
  unsigned char errorCode_ = 0;
};

// Properties as lists of 32-bit items (WINDOW, ATOM, CARDINAL) or as bytes.
std::vector<unsigned long> ReadCardinals(Display* display, Window window, Atom property);
std::string ReadBytes(Display* display, Window window, Atom property, Atom* type = nullptr);

}  // namespace fenno
