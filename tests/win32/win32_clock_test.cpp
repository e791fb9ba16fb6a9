// The Windows clock reads the system's local time to the second.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/win32/win32_api.h"

namespace morvane {
namespace {

int64_t Seconds(const SYSTEMTIME& t) {
  return DateTime::FromFields({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}).seconds();
}

TEST(Win32Clock, LocalNowIsTheSystemsLocalTime) {
  const auto clock = MakeSystemClock();
  SYSTEMTIME before{};
  SYSTEMTIME after{};
  ::GetLocalTime(&before);
  const DateFields fields = clock->LocalNow();
  ::GetLocalTime(&after);
  ASSERT_TRUE(IsValidDateTime(fields));
  const int64_t now = DateTime::FromFields(fields).seconds();
  EXPECT_GE(now, Seconds(before));
  EXPECT_LE(now, Seconds(after));
}

TEST(Win32Clock, MonotonicNeverGoesBack) {
  const auto clock = MakeSystemClock();
  int64_t last = clock->MonotonicMs();
  for (int i = 0; i < 1000; ++i) {
    const int64_t now = clock->MonotonicMs();
    EXPECT_GE(now, last);
    last = now;
  }
}

}  // namespace
}  // namespace morvane
