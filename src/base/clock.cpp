#include "base/clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace fenno {

void WaitMilliseconds(const Clock& clock, EventPump& events, int64_t ms) {
  if (ms <= 0) return;
  const int64_t deadline = clock.TickMs() + ms;
  for (int64_t now = clock.TickMs(); now < deadline; now = clock.TickMs())
    events.ProcessEvents(static_cast<int>(std::min<int64_t>(deadline - now, 50)));
}

int64_t SystemClock::TickMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

LocalDateTime SystemClock::Now() const {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  LocalDateTime result;
  result.year = local.tm_year + 1900;
  result.month = local.tm_mon + 1;
  result.day = local.tm_mday;
  result.hour = local.tm_hour;
  result.minute = local.tm_min;
  result.second = local.tm_sec;
  result.millisecond =
      static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return result;
}

}  // namespace fenno
