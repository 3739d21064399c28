#include "wait.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace fenno::testing {
namespace {

void Sleep(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void (*pauseBetweenChecks)(int) = Sleep;

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, std::source_location where) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      if (timeoutMs > 0)
        std::fprintf(stderr, "%s:%u: waited %d ms in vain\n", where.file_name(),
                     static_cast<unsigned>(where.line()), timeoutMs);
      return condition();
    }
    pauseBetweenChecks(20);
  }
  return true;
}

void SetWaitPause(void (*pause)(int ms)) {
  pauseBetweenChecks = pause ? pause : Sleep;
}

}  // namespace fenno::testing
