#include "keys/x11_window_system.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cerrno>

#include "keys/command_words.h"
#include "keys/program_start.h"

namespace fenno {
namespace {

constexpr long kSourcePager = 2;  // activation asked for by the user, through a pager
constexpr int kMaxFrameDepth = 4;

Window AsWindow(WindowId id) {
  return static_cast<Window>(id);
}

}  // namespace

std::string TitleToLatin1(const std::string& bytes, bool utf8) {
  if (!utf8) return bytes;
  std::string text;
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    unsigned int code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length && i + k < bytes.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    text += code <= 0xFF ? static_cast<char>(code) : '?';
    i += static_cast<size_t>(length);
  }
  return text;
}

bool X11WindowSystem::HasWindowManager(Display* display) {
  const Atom check = connection_.Intern("_NET_SUPPORTING_WM_CHECK");
  const auto fromRoot = ReadCardinals(display, connection_.Root(), check);
  if (fromRoot.empty() || fromRoot[0] == None) return false;
  const auto fromChild = ReadCardinals(display, fromRoot[0], check);
  return !fromChild.empty() && fromChild[0] == fromRoot[0];
}

std::vector<Window> X11WindowSystem::StackingTopFirst(Display* display) {
  std::vector<Window> windows;
  if (HasWindowManager(display)) {
    const auto list =
        ReadCardinals(display, connection_.Root(), connection_.Intern("_NET_CLIENT_LIST_STACKING"));
    windows.assign(list.rbegin(), list.rend());
    return windows;
  }
  Window root = None, parent = None, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, connection_.Root(), &root, &parent, &children, &count)) return windows;
  for (unsigned int i = count; i-- > 0;) {
    XWindowAttributes attributes{};
    X11ErrorTrap trap(display);
    if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.override_redirect ||
        attributes.c_class != InputOutput)
      continue;
    const Window client = ClientWindow(display, children[i]);
    if (attributes.map_state == IsViewable || (client != children[i] && IsMinimized(client)))
      windows.push_back(client);
  }
  if (children) XFree(children);
  return windows;
}

// The window carrying WM_STATE inside a frame of a window manager without EWMH, or the
// window itself.
Window X11WindowSystem::ClientWindow(Display* display, Window frame, int depth) {
  Atom type = None;
  ReadBytes(display, frame, connection_.Intern("WM_STATE"), &type);
  if (type != None || depth >= kMaxFrameDepth) return frame;
  Window root = None, parent = None, *children = nullptr;
  unsigned int count = 0;
  Window client = frame;
  if (XQueryTree(display, frame, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count && client == frame; ++i) {
      const Window inner = ClientWindow(display, children[i], depth + 1);
      if (inner != children[i] ||
          ReadCardinals(display, inner, connection_.Intern("WM_STATE")).size())
        client = inner;
    }
  }
  if (children) XFree(children);
  return client;
}

Window X11WindowSystem::TopLevelOf(Display* display, Window window) {
  const Window rootWindow = connection_.Root();
  while (window != None && window != rootWindow) {
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    X11ErrorTrap trap(display);
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return None;
    if (children) XFree(children);
    if (parent == rootWindow) return ClientWindow(display, window);
    window = parent;
  }
  return None;
}

WindowId X11WindowSystem::ForegroundWindow() {
  Display* display = connection_.Get();
  if (!display) return kNoWindow;
  if (HasWindowManager(display)) {
    const auto active =
        ReadCardinals(display, connection_.Root(), connection_.Intern("_NET_ACTIVE_WINDOW"));
    return active.empty() ? kNoWindow : active[0];
  }
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus == None || focus == PointerRoot) return kNoWindow;
  return TopLevelOf(display, focus);
}

std::vector<TopLevelWindow> X11WindowSystem::WindowsInZOrder() {
  std::vector<TopLevelWindow> windows;
  Display* display = connection_.Get();
  if (!display) return windows;
  for (const Window window : StackingTopFirst(display))
    windows.push_back({window, WindowTitle(window)});
  return windows;
}

std::string X11WindowSystem::WindowTitle(WindowId window) {
  Display* display = connection_.Get();
  if (!display || window == kNoWindow) return {};
  const std::string netName =
      ReadBytes(display, AsWindow(window), connection_.Intern("_NET_WM_NAME"));
  if (!netName.empty()) return TitleToLatin1(netName, true);
  Atom type = None;
  const std::string name = ReadBytes(display, AsWindow(window), XA_WM_NAME, &type);
  return TitleToLatin1(name, type != XA_STRING);
}

bool X11WindowSystem::Exists(Display* display, Window window) {
  XWindowAttributes attributes{};
  X11ErrorTrap trap(display);
  return XGetWindowAttributes(display, window, &attributes) && !trap.Failed();
}

void X11WindowSystem::SendToRoot(Display* display, Window window, const char* message,
                                 const long (&data)[5]) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = connection_.Intern(message);
  event.xclient.format = 32;
  for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
  XSendEvent(display, connection_.Root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &event);
}

bool X11WindowSystem::RequestActivation(WindowId id) {
  Display* display = connection_.Get();
  const Window window = AsWindow(id);
  if (!display || id == kNoWindow || !Exists(display, window)) return false;
  if (HasWindowManager(display)) {
    SendToRoot(display, window, "_NET_ACTIVE_WINDOW",
               {kSourcePager, CurrentTime, static_cast<long>(ForegroundWindow()), 0, 0});
    XFlush(display);
    return true;
  }
  X11ErrorTrap trap(display);
  XRaiseWindow(display, window);
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  return !trap.Failed();
}

void X11WindowSystem::RestoreWindow(WindowId id) {
  Display* display = connection_.Get();
  if (!display || id == kNoWindow) return;
  X11ErrorTrap trap(display);
  XMapRaised(display, AsWindow(id));  // an iconic window returns to the normal state
  XFlush(display);
}

void X11WindowSystem::MinimizeWindow(WindowId id) {
  Display* display = connection_.Get();
  if (!display || id == kNoWindow) return;
  X11ErrorTrap trap(display);
  XIconifyWindow(display, AsWindow(id), DefaultScreen(display));
  XFlush(display);
}

bool X11WindowSystem::IsMinimized(WindowId id) {
  Display* display = connection_.Get();
  if (!display || id == kNoWindow) return false;
  const auto state = ReadCardinals(display, AsWindow(id), connection_.Intern("WM_STATE"));
  if (!state.empty()) return state[0] == IconicState;
  const Atom hidden = connection_.Intern("_NET_WM_STATE_HIDDEN");
  for (const unsigned long atom :
       ReadCardinals(display, AsWindow(id), connection_.Intern("_NET_WM_STATE")))
    if (atom == hidden) return true;
  return false;
}

bool X11WindowSystem::IsOwnWindow(WindowId id) {
  Display* display = connection_.Get();
  if (!display || id == kNoWindow) return false;
  const auto pid = ReadCardinals(display, AsWindow(id), connection_.Intern("_NET_WM_PID"));
  if (pid.empty() || pid[0] != static_cast<unsigned long>(::getpid())) return false;
  // A process number is only ours on this machine.
  const std::string machine = ReadBytes(display, AsWindow(id), XA_WM_CLIENT_MACHINE);
  char host[256] = {};
  return machine.empty() || ::gethostname(host, sizeof host - 1) != 0 || machine == host;
}

int X11WindowSystem::StartProgram(const std::string& commandLine) {
  const std::vector<std::string> words = SplitCommandLine(commandLine);
  if (connection_.DisplayName().empty()) return StartDetached(words);
  return StartDetached(words, {"DISPLAY=" + connection_.DisplayName()});
}

}  // namespace fenno
