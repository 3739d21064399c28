// Every test process finds the built programs and the source tree in its environment,
// however it is started (ctest, or the binary run by hand). Values already set win.

#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    ::setenv("COMFENNO_BIN", FENNO_COMFENNO_BIN, 0);
    ::setenv("NETFENNO_BIN", FENNO_NETFENNO_BIN, 0);
    ::setenv("FENNO_SOURCE_DIR", FENNO_SOURCE_TREE, 0);
  }
};

const TestEnvironment environment;

}  // namespace
