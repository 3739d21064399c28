#include "support/x11_test_environment.h"

namespace fenno::testing {

void X11TestEnvironment::SetUp() {
  static int argc = 1;
  static char name[] = "x11-test";
  static char* argv[] = {name, nullptr};
  app_ = std::make_unique<QCoreApplication>(argc, argv);
  session = X11Session::Start(X11Session::Options{}, &why);
}

void X11TestEnvironment::TearDown() {
  session.reset();
  app_.reset();
}

}  // namespace fenno::testing
