#pragma once

// A private X server (Xvfb) for tests and benchmarks, optionally with a window manager
// (openbox), plus programs started on it and a probe connection to look at its windows
// independently of the code under test. Everything started is ended with the session.

#include <X11/Xlib.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fenno::testing {

class X11Session {
 public:
  struct Options {
    bool windowManager = true;
    std::string screen = "1280x1024x24";
  };

  // Starts the server (and window manager); nullptr and `why` when that is not possible,
  // for instance because Xvfb is not installed.
  static std::unique_ptr<X11Session> Start(const Options& options, std::string* why = nullptr);
  static std::unique_ptr<X11Session> Start() { return Start(Options{}); }
  static bool XvfbInstalled();
  ~X11Session();

  const std::string& DisplayName() const { return displayName_; }
  // The probe connection.
  Display* display() const { return display_; }

  // Runs a program with DISPLAY set to this server; it is ended with the session.
  pid_t Launch(const std::vector<std::string>& argv);
  void Terminate(pid_t pid);
  // False once a launched program has ended.
  bool Running(pid_t pid);
  // Runs a program to its end (e.g. setxkbmap); true when it exits with 0.
  bool Run(const std::vector<std::string>& argv);
  bool SetKeyboardLayout(const std::string& layout) {
    return Run({"setxkbmap", "-display", displayName_, layout});
  }

  // Top-level client windows (those the window manager lists, or the root's mapped
  // children without one).
  std::vector<Window> ClientWindows();
  std::string Title(Window window);
  // The first client window whose title contains `part`, waiting for it to appear (the
  // first start of a GUI program on a loaded machine may build font caches for a while).
  Window WaitForWindow(const std::string& part, int timeoutMs = 60000);
  Window ActiveWindow();
  bool IsIconic(Window window);
  void Activate(Window window);
  // Presses and releases the key of `keysym` through XTest on the probe connection.
  void TypeKey(unsigned long keysym);
  void Iconify(Window window);

  // A recorder window (`recorder` is tests/keys' key recorder) titled `title` that writes
  // what it is typed to `file`, in front and ready: a recorder that has not shown its window
  // after a while (a GUI program starting on a loaded machine can stall) is started once
  // more, and once it is in front a space is typed until one arrives, so that the first key
  // of a test is never lost; the file is emptied again. None when it never came up. Its
  // process goes into `launched`, for the test to end it.
  Window StartRecorder(const std::string& recorder, const std::string& title,
                       const std::string& file, std::vector<pid_t>& launched);
  // Makes `window` active and shows it takes keys, as StartRecorder does.
  bool ExpectReady(Window window, const std::string& file);

 private:
  X11Session() = default;
  bool StartServer(const Options& options, std::string* why);
  bool StartWindowManager(std::string* why);
  bool HasWindowManager();
  bool ManagesANewWindow();
  std::vector<unsigned long> Cardinals(Window window, const char* property);

  std::string displayName_;
  pid_t server_ = -1;
  pid_t windowManager_ = -1;
  std::vector<pid_t> programs_;
  Display* display_ = nullptr;
};

}  // namespace fenno::testing
