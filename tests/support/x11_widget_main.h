#pragma once

// The main of a window test that needs a real X server (XTest key presses, the screenshot
// run): its own Xvfb first, then the QApplication on it, with a scratch user folder.
// Answers 77, which CTest counts as skipped, where no X server starts.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <string>

#include "support/test_files.h"
#include "support/x11_session.h"

namespace fenno::testing {

inline int RunWindowTestsOnOwnXServer(int argc, char** argv, X11Session** started = nullptr) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string why;
  const auto session = X11Session::Start({}, &why);
  if (!session) {
    std::fprintf(stderr, "no X server for the test: %s\n", why.c_str());
    return 77;
  }
  if (started) *started = session.get();
  ::setenv("DISPLAY", session->DisplayName().c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  const ScratchFolder userFolder;
  ::setenv("XDG_CONFIG_HOME", userFolder.path().c_str(), 1);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

}  // namespace fenno::testing
