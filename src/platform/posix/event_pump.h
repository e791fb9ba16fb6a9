// The event loop on a POSIX system without a window system of its own: the window's timers and
// the ends of the programs we started.
#pragma once

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/posix/children.h"

namespace morvane {

class PosixEventPump final : public EventPump {
 public:
  // The longest sleep between two looks at the timers and the children.
  static constexpr int kSliceMs = 20;

  PosixEventPump(Clock& clock, ChildRegistry& children) : clock_(clock), children_(children) {}

  void SetTimerSource(TimerSource* timers) override { timers_ = timers; }
  // Reaps ended children, then raises the timer ticks that are due.
  void ProcessEvents() override;
  // Handles events until `ms` milliseconds have passed on the monotonic clock, sleeping in slices
  // of at most kSliceMs and never past the next due tick, so ticks fire at their time and ended
  // children are noticed promptly.
  void DelayWithEvents(int ms) override;
  void Sleep(int ms) override;

 private:
  Clock& clock_;
  ChildRegistry& children_;
  TimerSource* timers_ = nullptr;
};

}  // namespace morvane
