#pragma once

// One X server with openbox for a whole test program, and the QCoreApplication the X11
// backends' socket watches need. Register it once per test program:
//   ::testing::AddGlobalTestEnvironment(new X11TestEnvironment);
// Tests skip themselves when `session` is null (`why` says why).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>

#include "support/wait.h"
#include "support/x11_session.h"

namespace fenno::testing {

class X11TestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
  static inline std::unique_ptr<X11Session> session;
  static inline std::string why;

 private:
  std::unique_ptr<QCoreApplication> app_;
};

}  // namespace fenno::testing
