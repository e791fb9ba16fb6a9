#include "recording/date_time.h"

#include "platform/clock.h"
#include "text/gbk_text.h"

namespace morvane {

namespace {

// Day number of 1970-01-01 counted from 1899-12-30.
constexpr int64_t kUnixEpochDay = 25569;

constexpr int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;                                    // [0, 399]
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;  // [0, 365]
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;            // [0, 146096]
  return era * 146097 + doe - 719468;
}

// The inverse of DaysFromCivil.
constexpr void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;                                       // [0, 146096]
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
  const int64_t mp = (5 * doy + 2) / 153;                                     // [0, 11]
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;                             // [1, 31]
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;                                // [1, 12]
  year = static_cast<int>(yoe + era * 400 + (m <= 2));
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

static_assert(DaysFromCivil(1899, 12, 30) == -kUnixEpochDay);
static_assert(DaysFromCivil(100, 1, 1) + kUnixEpochDay == DateTime::kEarliestDay);
static_assert(DaysFromCivil(9999, 12, 31) + kUnixEpochDay == DateTime::kLatestDay);

// GBK bytes of the Chinese date-time words.
constexpr std::string_view kYear = "年";
constexpr std::string_view kMonth = "月";
constexpr std::string_view kDay = "日";
constexpr std::string_view kHour = "时";
constexpr std::string_view kMinute = "分";
constexpr std::string_view kSecond = "秒";

// Reads up to `max_digits` ASCII digits at `pos`; no digits read as 0.
int ReadNumber(std::string_view text, std::size_t& pos, int max_digits) {
  int value = 0;
  for (int n = 0; n < max_digits && pos < text.size() && text[pos] >= '0' && text[pos] <= '9';
       ++n, ++pos) {
    value = value * 10 + (text[pos] - '0');
  }
  return value;
}

// Skips one separator at `pos` when present: one of the single bytes in `ascii`, or the
// double-byte word `word`.
void SkipSeparator(std::string_view text, std::size_t& pos, std::string_view ascii,
                   std::string_view word) {
  if (pos >= text.size()) return;
  if (text.substr(pos, word.size()) == word) {
    pos += word.size();
  } else if (ascii.find(text[pos]) != std::string_view::npos) {
    ++pos;
  }
}

}  // namespace

DateTime DateTime::FromFields(const DateFields& f) {
  const int64_t day = DaysFromCivil(f.year, f.month, f.day) + kUnixEpochDay;
  return DateTime(day * kSecondsPerDay + int64_t{f.hour} * 3600 + int64_t{f.minute} * 60 +
                  f.second);
}

DateFields DateTime::ToFields() const {
  const int64_t day = FloorDiv(seconds_, kSecondsPerDay);
  const int64_t time = seconds_ - day * kSecondsPerDay;  // [0, 86399]
  DateFields f;
  CivilFromDays(day - kUnixEpochDay, f.year, f.month, f.day);
  f.hour = static_cast<int>(time / 3600);
  f.minute = static_cast<int>(time / 60 % 60);
  f.second = static_cast<int>(time % 60);
  return f;
}

DateTime DateTime::Clamped() const {
  if (*this > Latest()) return Latest();
  if (*this < Earliest()) return Earliest();
  return *this;
}

int DaysInMonth(int year, int month) {
  static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kLengths[month - 1];
}

bool IsValidDateTime(const DateFields& f) {
  return f.year >= 100 && f.year <= 9999 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
         f.day <= DaysInMonth(f.year, f.month) && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 &&
         f.minute <= 59 && f.second >= 0 && f.second <= 59;
}

DateTime CurrentDateTime(Clock& clock) { return DateTime::FromFields(clock.LocalNow()); }

std::string DateTimeToText(DateTime value) {
  const DateFields f = value.Clamped().ToFields();
  std::string text = std::to_string(f.year);
  text += kYear;
  text += std::to_string(f.month);
  text += kMonth;
  text += std::to_string(f.day);
  text += kDay;
  if (f.second != 0 || f.minute != 0 || f.hour != 0) {
    text += std::to_string(f.hour);
    text += kHour;
  }
  if (f.second != 0 || f.minute != 0) {
    text += std::to_string(f.minute);
    text += kMinute;
  }
  if (f.second != 0) {
    text += std::to_string(f.second);
    text += kSecond;
  }
  return text;
}

std::optional<DateTime> ParseDateTime(std::string_view raw) {
  const std::string text = NormaliseFullWidth(raw);
  if (text.empty()) return std::nullopt;

  std::size_t pos = 0;
  DateFields f;
  f.year = ReadNumber(text, pos, 4);
  SkipSeparator(text, pos, "-./:", kYear);
  f.month = ReadNumber(text, pos, 2);
  SkipSeparator(text, pos, "-./:", kMonth);
  f.day = ReadNumber(text, pos, 2);
  SkipSeparator(text, pos, " -./:", kDay);
  f.hour = ReadNumber(text, pos, 2);
  SkipSeparator(text, pos, "-./:", kHour);
  f.minute = ReadNumber(text, pos, 2);
  SkipSeparator(text, pos, "-./:", kMinute);
  f.second = ReadNumber(text, pos, 2);

  // Only the end of the text or "秒" may follow the seconds; whatever comes after "秒" is ignored.
  const std::string_view rest = std::string_view(text).substr(pos);
  if (!rest.empty() && !rest.starts_with(kSecond)) return std::nullopt;
  if (!IsValidDateTime(f)) return std::nullopt;
  return DateTime::FromFields(f);
}

DateTime TextToDateTime(std::string_view text) {
  return ParseDateTime(text).value_or(DateTime::Earliest());
}

}  // namespace morvane
