#pragma once

#include "base/clock.h"

namespace fenno {

// Runs pending Qt events of the calling thread's event loop while a caller waits.
class QtEventPump : public EventPump {
 public:
  void ProcessEvents(int maxWaitMs) override;
  void Post(std::function<void()> action) override;
};

}  // namespace fenno
