#pragma once

// The one way tests wait: for a condition, never for a fixed time. The condition is checked
// every 20 ms until it holds or `timeoutMs` pass (the deadline only turns a hang into a
// failure); answers its last answer. Between checks, a test with a Qt event loop handles its
// events (tests/support/qt_wait.cpp); any other test sleeps.

#include <functional>
#include <source_location>

namespace fenno::testing {

// A wait that times out says where it was, so a slow or lost event is found from the log.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 60000,
               std::source_location where = std::source_location::current());

// What runs between checks, for at most `ms` milliseconds; set once by the platform side.
void SetWaitPause(void (*pause)(int ms));

}  // namespace fenno::testing
