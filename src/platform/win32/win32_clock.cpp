// The Windows clock: GetLocalTime, which applies the system's time-zone and daylight-saving
// rules, and GetTickCount64 for the monotonic count.
#include "platform/clock.h"
#include "platform/win32/win32_api.h"

namespace morvane {

namespace {

class Win32Clock final : public Clock {
 public:
  DateFields LocalNow() override {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    DateFields fields;
    fields.year = local.wYear;
    fields.month = local.wMonth;
    fields.day = local.wDay;
    fields.hour = local.wHour;
    fields.minute = local.wMinute;
    fields.second = local.wSecond > 59 ? 59 : local.wSecond;  // milliseconds are dropped
    return fields;
  }

  int64_t MonotonicMs() override { return static_cast<int64_t>(::GetTickCount64()); }
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() { return std::make_unique<Win32Clock>(); }

}  // namespace morvane
