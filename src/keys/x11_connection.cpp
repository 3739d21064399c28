#include "keys/x11_connection.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <set>

namespace fenno {
namespace {

X11ErrorTrap* activeTrap = nullptr;
std::set<Display*>& OwnDisplays() {
  static std::set<Display*> displays;
  return displays;
}
XErrorHandler previousHandler = nullptr;
XIOErrorHandler previousIoHandler = nullptr;

int QuietIoError(Display* display) {
  if (OwnDisplays().count(display)) return 0;
  return previousIoHandler ? previousIoHandler(display) : 0;
}

}  // namespace

int HandleXError(Display* display, XErrorEvent* error) {
  for (X11ErrorTrap* trap = activeTrap; trap; trap = trap->outer_) {
    if (trap->display_ != display || error->serial < trap->firstRequest_) continue;
    if (trap->errorCode_ == 0) trap->errorCode_ = error->error_code;
    return 0;
  }
  // Errors of our own connections outside a trap concern windows that went away.
  if (OwnDisplays().count(display) || !previousHandler) return 0;
  return previousHandler(display, error);
}

namespace {

void InstallHandlersOnce() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  previousHandler = XSetErrorHandler(HandleXError);
  previousIoHandler = XSetIOErrorHandler(QuietIoError);
}

}  // namespace

X11Connection::X11Connection(std::string displayName, DisplayFailureReport report)
    : displayName_(std::move(displayName)), report_(std::move(report)) {
  if (displayName_.empty()) {
    const char* env = std::getenv("DISPLAY");
    displayName_ = env ? env : "";
  }
}

X11Connection::~X11Connection() {
  watch_.reset();
  if (!display_) return;
  OwnDisplays().erase(display_);
  if (!lost_) XCloseDisplay(display_);
}

Display* X11Connection::Get() {
  if (!opened_) Open();
  if (lost_) return nullptr;
  return display_;
}

void X11Connection::Open() {
  opened_ = true;
  InstallHandlersOnce();
  display_ = displayName_.empty() ? nullptr : XOpenDisplay(displayName_.c_str());
  if (!display_) {
    lost_ = true;
    Report(DisplayFailure::NoDisplay);
    return;
  }
  OwnDisplays().insert(display_);
  XSetIOErrorExitHandler(display_, OnIoErrorExit, this);
  watch_ = WatchSocket(ConnectionNumber(display_), [this] { ProcessPendingEvents(); });
}

// The server went away: the connection is dead, but the program carries on without it.
void X11Connection::OnIoErrorExit(Display*, void* self) {
  auto* connection = static_cast<X11Connection*>(self);
  connection->lost_ = true;
  if (connection->watch_) connection->watch_->Stop();
}

void X11Connection::Report(DisplayFailure failure) {
  if (reported_) return;
  reported_ = true;
  if (report_) report_(failure, displayName_);
}

bool X11Connection::HasXTest() {
  Display* display = Get();
  if (!display) return false;
  if (xtest_ < 0) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    xtest_ = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor) ? 1 : 0;
    if (!xtest_) Report(DisplayFailure::NoXTest);
  }
  return xtest_ == 1;
}

Window X11Connection::Root() {
  Display* display = Get();
  return display ? DefaultRootWindow(display) : None;
}

Atom X11Connection::Intern(const char* name) {
  const auto it = atoms_.find(name);
  if (it != atoms_.end()) return it->second;
  Display* display = Get();
  if (!display) return None;
  const Atom atom = XInternAtom(display, name, False);
  atoms_[name] = atom;
  return atom;
}

int X11Connection::AddEventHandler(std::function<void(XEvent&)> handler) {
  handlers_[nextHandlerId_] = std::move(handler);
  return nextHandlerId_++;
}

void X11Connection::RemoveEventHandler(int id) {
  handlers_.erase(id);
}

void X11Connection::ProcessPendingEvents() {
  Display* display = Get();
  while (display && !lost_ && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    for (auto& [id, handler] : handlers_) handler(event);
  }
}

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), outer_(activeTrap), firstRequest_(display ? NextRequest(display) : 0) {
  InstallHandlersOnce();
  activeTrap = this;
}

// Errors that arrive later are those of a window that went away; they are dropped.
X11ErrorTrap::~X11ErrorTrap() {
  activeTrap = outer_;
}

bool X11ErrorTrap::Failed() {
  if (display_) XSync(display_, False);
  return errorCode_ != 0;
}

std::vector<unsigned long> ReadCardinals(Display* display, Window window, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  X11ErrorTrap trap(display);
  if (XGetWindowProperty(display, window, property, 0, 1 << 16, False, AnyPropertyType, &type,
                         &format, &count, &remaining, &data) == Success &&
      data && format == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);  // Xlib widens to long
    items.assign(values, values + count);
  }
  if (data) XFree(data);
  return items;
}

std::string ReadBytes(Display* display, Window window, Atom property, Atom* typeOut) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::string bytes;
  X11ErrorTrap trap(display);
  if (XGetWindowProperty(display, window, property, 0, 1 << 16, False, AnyPropertyType, &type,
                         &format, &count, &remaining, &data) == Success &&
      data && format == 8)
    bytes.assign(reinterpret_cast<const char*>(data), count);
  if (data) XFree(data);
  if (typeOut) *typeOut = type;
  return bytes;
}

}  // namespace fenno
