// Every test process finds the built programs and the source tree in its environment,
// however it is started (ctest, or the binary run by hand); values already set win. The
// desktop's display, session bus and session kind are forgotten: tests that need X11 or D-Bus start
// their own, and nothing may reach the session the tests happen to run in.

#include <cstdlib>
#include <initializer_list>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    ::setenv("COMFENNO_BIN", FENNO_COMFENNO_BIN, 0);
    ::setenv("NETFENNO_BIN", FENNO_NETFENNO_BIN, 0);
    ::setenv("FENNO_SOURCE_DIR", FENNO_SOURCE_TREE, 0);
    ::unsetenv("DISPLAY");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    // A Wayland desktop's session would send the programs' keystrokes to its portal.
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP",
                             "KDE_SESSION_VERSION", "XKB_DEFAULT_LAYOUT", "XKB_DEFAULT_VARIANT"})
      ::unsetenv(name);
  }
};

const TestEnvironment environment;

}  // namespace
