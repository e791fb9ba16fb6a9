// Calendar values to the second and their one text form, "%d年%d月%d日" plus a time part without
// leading zeros.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

class Clock;

struct DateFields {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Seconds since 1899-12-30 00:00:00, the epoch of the OLE Automation date. Two values built
// from the same six fields are equal.
class DateTime {
 public:
  static constexpr int64_t kSecondsPerDay = 86400;
  static constexpr int64_t kEarliestDay = -657434;  // 100-01-01
  static constexpr int64_t kLatestDay = 2958465;    // 9999-12-31

  constexpr DateTime() = default;
  static constexpr DateTime FromSeconds(int64_t seconds) { return DateTime(seconds); }
  // Fields must be a valid date (see IsValidDateTime); hour, minute and second are added as
  // counts, so they may exceed their ranges.
  static DateTime FromFields(const DateFields& fields);
  static constexpr DateTime Earliest() { return DateTime(kEarliestDay * kSecondsPerDay); }
  static constexpr DateTime Latest() { return DateTime(kLatestDay * kSecondsPerDay); }

  constexpr int64_t seconds() const { return seconds_; }
  DateFields ToFields() const;
  // Limited to Earliest()..Latest().
  DateTime Clamped() const;

  friend constexpr auto operator<=>(DateTime, DateTime) = default;

 private:
  constexpr explicit DateTime(int64_t seconds) : seconds_(seconds) {}
  int64_t seconds_ = 0;  // 0 is 1899-12-30 00:00:00, the "no date" value
};

int DaysInMonth(int year, int month);
// Year 100..9999, month 1..12, day within the month, hour 0..23, minute and second 0..59.
bool IsValidDateTime(const DateFields& fields);

// The computer's local date and time, to the second.
DateTime CurrentDateTime(Clock& clock);

// The text form, after limiting the value to the range: "2022年11月5日9时5分3秒",
// "2022年11月5日12时30分", "2022年11月5日9时", "2022年11月5日".
std::string DateTimeToText(DateTime value);

// Reads the tool's own form, 14 digits, and dates and times joined by "-", ".", "/", ":" (and a
// blank after the day); nullopt when the text is no date-time.
std::optional<DateTime> ParseDateTime(std::string_view text);

// ParseDateTime, with DateTime::Earliest() (100-01-01 00:00:00) for a text that is no date-time.
DateTime TextToDateTime(std::string_view text);

}  // namespace morvane
