#pragma once

#include <functional>

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

  std::function<void()> onEvents;
  int calls = 0;

 private:
  FakeClock& clock_;
};

}  // namespace fenno::testing
