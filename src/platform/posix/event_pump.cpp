#include "platform/posix/event_pump.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

namespace morvane {

void PosixEventPump::ProcessEvents() {
  children_.Reap();
  if (timers_ == nullptr) return;
  const int64_t due = timers_->NextTimerDue();
  const int64_t now = clock_.MonotonicMs();
  if (due >= 0 && due <= now) timers_->FireDueTimers(now);
}

void PosixEventPump::DelayWithEvents(int ms) {
  const int64_t deadline = clock_.MonotonicMs() + std::max(ms, 0);
  for (;;) {
    // Handlers that run here may replace the timer source or wait themselves; read it afresh.
    ProcessEvents();
    const int64_t now = clock_.MonotonicMs();
    if (now >= deadline) return;
    int64_t slice = std::min<int64_t>(kSliceMs, deadline - now);
    if (timers_ != nullptr) {
      const int64_t due = timers_->NextTimerDue();
      if (due >= 0) slice = std::min(slice, std::max<int64_t>(due - now, 0));
    }
    if (slice > 0) std::this_thread::sleep_for(std::chrono::milliseconds(slice));
  }
}

void PosixEventPump::Sleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace morvane
