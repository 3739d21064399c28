#pragma once

#include <cstdint>
#include <functional>

namespace fenno {

// A calendar date and time of day in local time.
struct LocalDateTime {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;    // 0..23
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const LocalDateTime&) const = default;
};

// Time as the engine sees it, so that tests control it.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a steady counter (only differences matter).
  virtual int64_t TickMs() const = 0;
  // The wall clock in local time.
  virtual LocalDateTime Now() const = 0;
};

// Lets pending events run while the caller waits (inter-key delays, pauses, retries),
// so that commands, hot keys and timers keep working in the middle of a record.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Handles pending events, waiting at most `maxWaitMs` for one to arrive.
  virtual void ProcessEvents(int maxWaitMs) = 0;
  // Runs `action` on a later turn of the event loop, never inside this call. A pump that
  // cannot do that drops it: the engine's tick then does the work.
  virtual void Post(std::function<void()> action) { (void)action; }
};

// Waits `ms` milliseconds by `clock`, handling events meanwhile. 0 or less returns at once.
void WaitMilliseconds(const Clock& clock, EventPump& events, int64_t ms);

// The real clock: std::chrono::steady_clock and the local wall clock.
class SystemClock : public Clock {
 public:
  int64_t TickMs() const override;
  LocalDateTime Now() const override;
};

}  // namespace fenno
