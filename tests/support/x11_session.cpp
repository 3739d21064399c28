#include "x11_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>

#include "spawn_arguments.h"
#include "test_files.h"
#include "wait.h"

extern char** environ;

namespace fenno::testing {
namespace {

std::set<Display*>& ProbeDisplays() {
  static std::set<Display*> displays;
  return displays;
}
XErrorHandler previousHandler = nullptr;

// Windows come and go while the probe looks at them; their errors are not fatal.
int IgnoreProbeErrors(Display* display, XErrorEvent* error) {
  if (ProbeDisplays().count(display) || !previousHandler) return 0;
  return previousHandler(display, error);
}

std::vector<std::string> EnvironmentFor(const std::string& displayName) {
  std::vector<std::string> env;
  const auto replaced = [](const std::string& item) {
    for (const char* name : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="})
      if (item.rfind(name, 0) == 0) return true;
    return false;
  };
  for (char** entry = environ; *entry; ++entry)
    if (!replaced(*entry)) env.emplace_back(*entry);
  env.push_back("DISPLAY=" + displayName);
  env.push_back("QT_QPA_PLATFORM=xcb");
  env.push_back("NO_AT_BRIDGE=1");
  return env;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            int passFd = -1) {
  const SpawnArguments argp(argv), envp(env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // FENNO_X11_LOG names a file that collects what the started programs print.
  const char* log = std::getenv("FENNO_X11_LOG");
  const char* output = log && *log ? log : "/dev/null";
  posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, output, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (passFd >= 0) posix_spawn_file_actions_adddup2(&actions, passFd, 3);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argp.First(), &actions, nullptr, argp.List(), envp.List()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void EndProcess(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  // -1 means it was already reaped (a test saw it end), which counts as ended too.
  const bool ended = WaitUntil([pid] { return ::waitpid(pid, nullptr, WNOHANG) != 0; }, 5000);
  if (ended) return;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace

bool X11Session::XvfbInstalled() {
  return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

std::unique_ptr<X11Session> X11Session::Start(const Options& options, std::string* why) {
  std::unique_ptr<X11Session> session(new X11Session);
  if (!session->StartServer(options, why)) return nullptr;
  if (options.windowManager && !session->StartWindowManager(why)) return nullptr;
  return session;
}

bool X11Session::StartServer(const Options& options, std::string* why) {
  if (!XvfbInstalled()) {
    if (why) *why = "Xvfb is not installed";
    return false;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  // Xvfb picks a free display number itself and writes it to descriptor 3 when ready. The
  // copy above 3 makes sure the child's descriptor 3 is a fresh one, open across exec.
  const int writeEnd = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
  ::close(fds[1]);
  server_ = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", options.screen, "-nolisten", "tcp",
                   "-ac", "-noreset"},
                  EnvironmentFor(":0"), writeEnd);
  ::close(writeEnd);
  std::string number;
  pollfd waitFor{fds[0], POLLIN, 0};
  char c = 0;
  while (::poll(&waitFor, 1, 30000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(fds[0]);
  if (server_ < 0 || number.empty()) {
    if (why) *why = "Xvfb did not start";
    return false;
  }
  displayName_ = ":" + number;
  display_ = XOpenDisplay(displayName_.c_str());
  if (!display_) {
    if (why) *why = "cannot connect to " + displayName_;
    return false;
  }
  ProbeDisplays().insert(display_);
  XErrorHandler previous = XSetErrorHandler(IgnoreProbeErrors);
  if (previous != IgnoreProbeErrors) previousHandler = previous;
  return true;
}

bool X11Session::StartWindowManager(std::string* why) {
  windowManager_ = Spawn({"openbox", "--sm-disable"}, EnvironmentFor(displayName_));
  if (windowManager_ > 0 && WaitUntil([this] { return HasWindowManager(); }) &&
      WaitUntil([this] { return ManagesANewWindow(); }))
    return true;
  if (why) *why = "openbox did not start";
  return false;
}

X11Session::~X11Session() {
  for (pid_t pid : programs_) EndProcess(pid);
  EndProcess(windowManager_);
  if (display_) {
    XCloseDisplay(display_);
    ProbeDisplays().erase(display_);
  }
  EndProcess(server_);
}

pid_t X11Session::Launch(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv, EnvironmentFor(displayName_));
  if (pid > 0) programs_.push_back(pid);
  return pid;
}

void X11Session::Terminate(pid_t pid) {
  std::erase(programs_, pid);
  EndProcess(pid);
}

bool X11Session::Running(pid_t pid) {
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0;
}

bool X11Session::Run(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv, EnvironmentFor(displayName_));
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

std::vector<unsigned long> X11Session::Cardinals(Window window, const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display_, window, XInternAtom(display_, property, False), 0, 4096, False,
                         AnyPropertyType, &type, &format, &count, &remaining, &data) == Success &&
      data && format == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data) XFree(data);
  return items;
}

bool X11Session::HasWindowManager() {
  const auto check = Cardinals(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK");
  return !check.empty() && Cardinals(check[0], "_NET_SUPPORTING_WM_CHECK") == check;
}

// openbox announces itself before it takes over mapping; a window mapped in between stays
// unmanaged for good. A probe window that gets managed shows the takeover has happened.
bool X11Session::ManagesANewWindow() {
  const Window probe =
      XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
  XMapWindow(display_, probe);
  const bool managed = WaitUntil(
      [&] {
        const auto clients = ClientWindows();
        return std::find(clients.begin(), clients.end(), probe) != clients.end();
      },
      1000);
  XDestroyWindow(display_, probe);
  XSync(display_, False);
  return managed;
}

std::vector<Window> X11Session::ClientWindows() {
  XSync(display_, False);
  if (windowManager_ > 0) {
    const auto list = Cardinals(DefaultRootWindow(display_), "_NET_CLIENT_LIST");
    return {list.begin(), list.end()};
  }
  std::vector<Window> windows;
  Window root = None, parent = None, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count; ++i) {
      XWindowAttributes attributes{};
      if (XGetWindowAttributes(display_, children[i], &attributes) &&
          attributes.map_state == IsViewable && !attributes.override_redirect)
        windows.push_back(children[i]);
    }
  }
  if (children) XFree(children);
  return windows;
}

std::string X11Session::Title(Window window) {
  XTextProperty property{};
  std::string title;
  if (XGetWMName(display_, window, &property) && property.value) {
    title.assign(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
  }
  return title;
}

Window X11Session::WaitForWindow(const std::string& part, int timeoutMs) {
  Window found = None;
  WaitUntil(
      [&] {
        for (Window window : ClientWindows())
          if (Title(window).find(part) != std::string::npos) found = window;
        return found != None;
      },
      timeoutMs);
  if (found == None && timeoutMs > 0) {
    std::fprintf(stderr, "no window titled \"%s\"; the windows are:\n", part.c_str());
    for (Window window : ClientWindows()) std::fprintf(stderr, "  \"%s\"\n", Title(window).c_str());
  }
  return found;
}

// The window manager's active window only counts once the input focus is really there:
// window numbers are reused, so the property may still name a window of an ended program
// that had the same number.
Window X11Session::ActiveWindow() {
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  if (windowManager_ <= 0) return focus;
  const auto active = Cardinals(DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW");
  if (active.empty()) return None;
  for (Window window = focus; window != None && window != PointerRoot;) {
    if (window == active[0]) return window;
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, window, &root, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (parent == root) break;
    window = parent;
  }
  return None;
}

bool X11Session::IsIconic(Window window) {
  const auto state = Cardinals(window, "WM_STATE");
  return !state.empty() && state[0] == IconicState;
}

void X11Session::Activate(Window window) {
  if (windowManager_ <= 0) {
    XRaiseWindow(display_, window);
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    XSync(display_, False);
    return;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 2;
  XSendEvent(display_, DefaultRootWindow(display_), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XSync(display_, False);
}

void X11Session::TypeKey(unsigned long keysym) {
  const KeyCode keycode = XKeysymToKeycode(display_, keysym);
  XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
  XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
  XSync(display_, False);
}

Window X11Session::StartRecorder(const std::string& recorder, const std::string& title,
                                 const std::string& file, std::vector<pid_t>& launched) {
  Window window = None;
  for (int attempt = 0; attempt < 2 && window == None; ++attempt) {
    const pid_t pid = Launch({recorder, "--record-title", title, "--record-to", file});
    WaitUntil([&] {
      window = WaitForWindow(title, 0);
      return window != None || !Running(pid);
    });
    if (window == None)
      Terminate(pid);
    else
      launched.push_back(pid);
  }
  return window != None && ExpectReady(window, file) ? window : None;
}

bool X11Session::ExpectReady(Window window, const std::string& file) {
  int typed = 0;
  const bool ready = WaitUntil([&] {
    if (ActiveWindow() != window) Activate(window);
    TypeKey(' ');
    ++typed;
    return WaitUntil([&] { return !ReadWholeFile(file).empty(); }, 2000);
  });
  // Every probe typed arrives before the file is emptied.
  WaitUntil([&] { return ReadWholeFile(file).size() >= static_cast<size_t>(typed); }, 5000);
  std::filesystem::resize_file(file, 0);
  return ready;
}

void X11Session::Iconify(Window window) {
  XIconifyWindow(display_, window, DefaultScreen(display_));
  XSync(display_, False);
}

}  // namespace fenno::testing
