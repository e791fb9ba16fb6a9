// The POSIX clock: time(), localtime_r() with the system's time-zone rules (TZ and the zone
// database), and std::chrono::steady_clock for the monotonic count.
#include <chrono>
#include <ctime>

#include "platform/clock.h"

namespace morvane {

namespace {

class SystemClock final : public Clock {
 public:
  DateFields LocalNow() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
      // Only a time far outside any calendar fails here; fall back to UTC.
      gmtime_r(&now, &local);
    }
    DateFields fields;
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    // Zones with leap seconds ("right/...") can report a 60th second; keep the fields valid.
    fields.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return fields;
  }

  int64_t MonotonicMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() { return std::make_unique<SystemClock>(); }

}  // namespace morvane
