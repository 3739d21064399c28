#pragma once

#include <functional>
#include <vector>

#include "base/clock.h"

namespace fenno::testing {

// Time that moves only when the test (or a wait) moves it.
class FakeClock : public Clock {
 public:
  int64_t TickMs() const override { return tickMs; }
  LocalDateTime Now() const override { return now; }
  void Advance(int64_t ms) { tickMs += ms; }

  int64_t tickMs = 1000;
  LocalDateTime now{2026, 12, 5, 14, 3, 9, 0};
};

// Waiting advances the fake clock and runs what the test wants to happen meanwhile.
class FakeEventPump : public EventPump {
 public:
  explicit FakeEventPump(FakeClock& clock) : clock_(clock) {}
  void ProcessEvents(int maxWaitMs) override {
    ++calls;
    clock_.Advance(maxWaitMs > 0 ? maxWaitMs : 1);
    if (onEvents) onEvents();
  }
  // Posted turns wait until the test runs them, as the event loop would after the caller
  // has returned.
  void Post(std::function<void()> action) override { posted.push_back(std::move(action)); }
  void RunPosted() {
    while (!posted.empty()) {
      auto action = std::move(posted.front());
      posted.erase(posted.begin());
      action();
    }
  }

  std::function<void()> onEvents;
  std::vector<std::function<void()>> posted;
  int calls = 0;

 private:
  FakeClock& clock_;
};

}  // namespace fenno::testing
