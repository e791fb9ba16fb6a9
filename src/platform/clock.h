// The system clock: local calendar time to the second, and a monotonic count for timers.
#pragma once

#include <cstdint>
#include <memory>

#include "recording/date_time.h"

namespace morvane {

class Clock {
 public:
  virtual ~Clock() = default;
  // The local date and time (system time-zone rules), whole seconds.
  virtual DateFields LocalNow() = 0;
  // Milliseconds from an arbitrary origin; never goes back. Timers count on it.
  virtual int64_t MonotonicMs() = 0;
};

std::unique_ptr<Clock> MakeSystemClock();

}  // namespace morvane
