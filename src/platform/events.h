// Waiting on the GUI thread: handling pending events, delays with and without them.
#pragma once

#include <cstdint>

namespace morvane {

// What a pump without a native message queue runs while it waits: the window's timers.
class TimerSource {
 public:
  virtual ~TimerSource() = default;
  // Monotonic time of the next due tick, or -1 when no timer runs.
  virtual int64_t NextTimerDue() const = 0;
  // Raises the ticks that are due at `now_ms`, in order.
  virtual void FireDueTimers(int64_t now_ms) = 0;
};

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void SetTimerSource(TimerSource* timers) = 0;
  // Handles the events that are pending now, once.
  virtual void ProcessEvents() = 0;
  // Returns after at least `ms` milliseconds, handling events meanwhile; handlers may run inside.
  virtual void DelayWithEvents(int ms) = 0;
  // Holds the thread for `ms` milliseconds without handling events.
  virtual void Sleep(int ms) = 0;
};

}  // namespace morvane
