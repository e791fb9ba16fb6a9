#include "recording/date_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace morvane {

// Failure messages show a value as its fields.
static void PrintTo(const DateTime& value, std::ostream* os) {
  const DateFields f = value.ToFields();
  *os << f.year << "-" << f.month << "-" << f.day << " " << f.hour << ":" << f.minute << ":"
      << f.second << " (" << value.seconds() << " s)";
}

namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return DateTime::FromFields({year, month, day, hour, minute, second});
}

void ExpectFields(const DateFields& f, int year, int month, int day, int hour, int minute,
                  int second) {
  EXPECT_EQ(f.year, year);
  EXPECT_EQ(f.month, month);
  EXPECT_EQ(f.day, day);
  EXPECT_EQ(f.hour, hour);
  EXPECT_EQ(f.minute, minute);
  EXPECT_EQ(f.second, second);
}

TEST(DateTimeTextTest, ChineseWordsAreGbkBytes) {
  EXPECT_EQ(std::string("年"), "\xC4\xEA");
  EXPECT_EQ(std::string("月"), "\xD4\xC2");
  EXPECT_EQ(std::string("日"), "\xC8\xD5");
  EXPECT_EQ(std::string("时"), "\xCA\xB1");
  EXPECT_EQ(std::string("分"), "\xB7\xD6");
  EXPECT_EQ(std::string("秒"), "\xC3\xEB");
}

TEST(DateTimeTest, ZeroIsTheOleEpoch) {
  EXPECT_EQ(At(1899, 12, 30).seconds(), 0);
  EXPECT_EQ(At(1899, 12, 31, 6).seconds(), 86400 + 6 * 3600);
  EXPECT_EQ(At(1899, 12, 29, 23, 59, 59).seconds(), -1);
  // 1970-01-01 is OLE day 25569.
  EXPECT_EQ(At(1970, 1, 1).seconds(), 25569 * DateTime::kSecondsPerDay);
}

TEST(DateTimeTest, LimitsAreTheEndsOfTheRange) {
  EXPECT_EQ(DateTime::Earliest(), At(100, 1, 1));
  EXPECT_EQ(DateTime::Latest(), At(9999, 12, 31));
  ExpectFields(DateTime::Earliest().ToFields(), 100, 1, 1, 0, 0, 0);
  ExpectFields(DateTime::Latest().ToFields(), 9999, 12, 31, 0, 0, 0);
}

TEST(DateTimeTest, FieldsRoundTripAcrossTheRange) {
  const std::vector<DateFields> cases = {
      {100, 1, 1, 0, 0, 0},      {100, 2, 28, 23, 59, 59}, {399, 12, 31, 12, 0, 1},
      {400, 2, 29, 1, 2, 3},     {1600, 2, 29, 0, 0, 0},   {1899, 12, 29, 23, 59, 59},
      {1899, 12, 30, 0, 0, 0},   {1900, 3, 1, 0, 0, 0},    {1970, 1, 1, 0, 0, 0},
      {2000, 2, 29, 12, 30, 45}, {2022, 11, 5, 9, 5, 3},   {2024, 12, 31, 23, 59, 59},
      {9999, 12, 31, 23, 59, 59}};
  for (const DateFields& f : cases) {
    SCOPED_TRACE(testing::Message() << f.year << "-" << f.month << "-" << f.day << " " << f.hour
                                    << ":" << f.minute << ":" << f.second);
    ExpectFields(DateTime::FromFields(f).ToFields(), f.year, f.month, f.day, f.hour, f.minute,
                 f.second);
  }
}

TEST(DateTimeTest, EveryDayOfTheRangeFollowsTheOneBefore) {
  // Walks the whole range day by day: each day's fields are the calendar successor of the last.
  DateFields prev = DateTime::Earliest().ToFields();
  for (int64_t day = DateTime::kEarliestDay + 1; day <= DateTime::kLatestDay; ++day) {
    const DateTime value = DateTime::FromSeconds(day * DateTime::kSecondsPerDay);
    const DateFields f = value.ToFields();
    DateFields expected = prev;
    if (++expected.day > DaysInMonth(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) {
        expected.month = 1;
        ++expected.year;
      }
    }
    if (f.year != expected.year || f.month != expected.month || f.day != expected.day ||
        DateTime::FromFields(f) != value) {
      ADD_FAILURE() << "day " << day << " gives " << f.year << "-" << f.month << "-" << f.day;
      return;
    }
    prev = f;
  }
  ExpectFields(prev, 9999, 12, 31, 0, 0, 0);
}

TEST(DateTimeTest, MonthLengths) {
  const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) {
    EXPECT_EQ(DaysInMonth(2023, month), lengths[month - 1]) << month;
  }
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(400, 2), 29);
}

TEST(DateTimeTest, ValidFieldsAreTheRangeOfEachField) {
  EXPECT_TRUE(IsValidDateTime({100, 1, 1, 0, 0, 0}));
  EXPECT_TRUE(IsValidDateTime({9999, 12, 31, 23, 59, 59}));
  const std::vector<DateFields> invalid = {
      {99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}, {2022, 0, 1, 0, 0, 0},
      {2022, 13, 1, 0, 0, 0}, {2022, 1, 0, 0, 0, 0},  {2022, 4, 31, 0, 0, 0},
      {2023, 2, 29, 0, 0, 0}, {2022, 1, 1, 24, 0, 0}, {2022, 1, 1, 0, 60, 0},
      {2022, 1, 1, 0, 0, 60}, {2022, 1, 1, -1, 0, 0}};
  for (const DateFields& f : invalid) {
    EXPECT_FALSE(IsValidDateTime(f)) << f.year << "-" << f.month << "-" << f.day << " " << f.hour
                                     << ":" << f.minute << ":" << f.second;
  }
}

TEST(DateTimeTest, ClampedLimitsToTheRange) {
  EXPECT_EQ(At(2022, 2, 2, 12).Clamped(), At(2022, 2, 2, 12));
  EXPECT_EQ(At(9999, 12, 31, 12).Clamped(), DateTime::Latest());
  EXPECT_EQ(DateTime::FromSeconds(DateTime::Latest().seconds() + 1).Clamped(), DateTime::Latest());
  EXPECT_EQ(DateTime::FromSeconds(INT64_MAX / 2).Clamped(), DateTime::Latest());
  EXPECT_EQ(DateTime::FromSeconds(DateTime::Earliest().seconds() - 1).Clamped(),
            DateTime::Earliest());
  EXPECT_EQ(DateTime::FromSeconds(INT64_MIN / 2).Clamped(), DateTime::Earliest());
  EXPECT_EQ(DateTime::Earliest().Clamped(), DateTime::Earliest());
  EXPECT_EQ(DateTime::Latest().Clamped(), DateTime::Latest());
}

struct TextCase {
  DateTime value;
  const char* text;
};

class DateTimeToTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(DateTimeToTextTest, WritesTheOneForm) {
  EXPECT_EQ(DateTimeToText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DateTimeToTextTest,
    testing::Values(TextCase{At(2022, 11, 5, 9, 5, 3), "2022年11月5日9时5分3秒"},
                    TextCase{At(2022, 11, 5, 0, 0, 7), "2022年11月5日0时0分7秒"},
                    TextCase{At(2022, 11, 5, 12, 30, 0), "2022年11月5日12时30分"},
                    TextCase{At(2022, 11, 5, 0, 5, 0), "2022年11月5日0时5分"},
                    TextCase{At(2022, 11, 5, 9, 0, 0), "2022年11月5日9时"},
                    TextCase{At(2022, 11, 5, 12, 0, 0), "2022年11月5日12时"},
                    TextCase{At(2022, 11, 5), "2022年11月5日"},
                    TextCase{At(2022, 2, 2, 12, 12, 12), "2022年2月2日12时12分12秒"},
                    TextCase{At(2022, 12, 31, 23, 59, 59), "2022年12月31日23时59分59秒"},
                    TextCase{At(100, 1, 1), "100年1月1日"},
                    TextCase{At(999, 9, 9, 9, 9, 9), "999年9月9日9时9分9秒"},
                    TextCase{DateTime(), "1899年12月30日"},
                    // Outside the range: the nearer end of it.
                    TextCase{At(9999, 12, 31, 12), "9999年12月31日"},
                    TextCase{DateTime::FromSeconds(DateTime::Latest().seconds() + 400 * 86400),
                             "9999年12月31日"},
                    TextCase{DateTime::FromSeconds(DateTime::Earliest().seconds() - 1),
                             "100年1月1日"}));

TEST(DateTimeToTextTest, TextReadsBackToTheSameValue) {
  const std::vector<DateTime> values = {
      At(2022, 2, 2, 12, 12, 12), At(2022, 11, 5, 12, 30),  At(2022, 11, 5),
      At(2022, 11, 5, 9),         At(2022, 11, 5, 0, 0, 7), At(100, 1, 1, 0, 0, 1),
      DateTime::Latest(),         At(2024, 2, 29, 0, 5)};
  for (const DateTime value : values) {
    const std::string text = DateTimeToText(value);
    SCOPED_TRACE(text);
    EXPECT_EQ(ParseDateTime(text), value);
  }
}

struct ParseCase {
  const char* text;
  std::optional<DateTime> expected;  // nullopt: not a date-time
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseDateTimeTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseDateTimeTest, Reads) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(ParseDateTime(c.text), c.expected);
  EXPECT_EQ(TextToDateTime(c.text), c.expected.value_or(DateTime::Earliest()));
}

const DateTime k20220202At121212 = At(2022, 2, 2, 12, 12, 12);

INSTANTIATE_TEST_SUITE_P(
    Accepted, ParseDateTimeTest,
    testing::Values(ParseCase{"20220202121212", k20220202At121212},
                    ParseCase{"2022-2-2 12:12:12", k20220202At121212},
                    ParseCase{"2022/02/02 12.12.12", k20220202At121212},
                    ParseCase{"2022.2.2.12.12.12", k20220202At121212},
                    ParseCase{"2022:02:02-12/12.12", k20220202At121212},
                    ParseCase{"2022年2月2日12时12分12秒", k20220202At121212},
                    ParseCase{"2022年11月5日12时30分", At(2022, 11, 5, 12, 30)},
                    ParseCase{"2022年11月5日", At(2022, 11, 5)},
                    ParseCase{"2022年11月5日9时", At(2022, 11, 5, 9)},
                    ParseCase{"２０２２－０２－０２", At(2022, 2, 2)},
                    ParseCase{"２０２２／０２／０２　１２：１２：１２", k20220202At121212},
                    ParseCase{"2022-02-02", At(2022, 2, 2)},
                    ParseCase{"2022-02-02 ", At(2022, 2, 2)},
                    ParseCase{"2022-02-02 12:00:00秒 extra", At(2022, 2, 2, 12)},
                    ParseCase{"2022-02-02 12:00:00秒", At(2022, 2, 2, 12)},
                    ParseCase{"2022123", At(2022, 12, 3)}, ParseCase{"2024-2-29", At(2024, 2, 29)},
                    ParseCase{"2000-2-29", At(2000, 2, 29)},
                    ParseCase{"100-1-1", DateTime::Earliest()},
                    ParseCase{"9999-12-31 23:59:59", At(9999, 12, 31, 23, 59, 59)},
                    // Separators need not match one another, ASCII and Chinese mixed.
                    ParseCase{"2022年2-2日12:12分12", k20220202At121212},
                    // A number stops at its digit limit; the next one starts there.
                    ParseCase{"202202021212", At(2022, 2, 2, 12, 12)},
                    ParseCase{"2022-1212", At(2022, 12, 12)}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, ParseDateTimeTest,
    testing::Values(
        ParseCase{"", std::nullopt}, ParseCase{"2022-02-02  12:00:00", std::nullopt},
        ParseCase{"2022年2月2日 12时12分12秒", std::nullopt},
        ParseCase{"2022-02-02 12:00:00 ", std::nullopt},
        ParseCase{"2022-02-02T12:00:00", std::nullopt}, ParseCase{" 2022-02-02", std::nullopt},
        ParseCase{"22-2-2", std::nullopt}, ParseCase{"99-12-31", std::nullopt},
        ParseCase{"2022-2-30", std::nullopt}, ParseCase{"2022-4-31", std::nullopt},
        ParseCase{"2023-2-29", std::nullopt}, ParseCase{"2100-2-29", std::nullopt},
        ParseCase{"2022-02-02 24:00:00", std::nullopt},
        ParseCase{"2022-02-02 12:60:00", std::nullopt},
        ParseCase{"2022-02-02 12:00:60", std::nullopt}, ParseCase{"2022-13-01", std::nullopt},
        ParseCase{"202212", std::nullopt}, ParseCase{"0000-01-01", std::nullopt},
        // Only one separator is skipped at each place.
        ParseCase{"2022--02-02", std::nullopt}, ParseCase{"2022-02-02 12::00:00", std::nullopt},
        // The blank separates only after the day.
        ParseCase{"2022 02 02", std::nullopt},
        // A separator belongs to its own place: "月" cannot follow the year.
        ParseCase{"2022月2月2日", std::nullopt}, ParseCase{"2022-02-02 12:00:00x", std::nullopt},
        ParseCase{"2022-02-02 12:00:001", std::nullopt}, ParseCase{"abc", std::nullopt},
        ParseCase{"秒", std::nullopt}));

TEST(ParseDateTimeTest, LeadByteAtTheEndEndsTheText) {
  // "2022-02-02" followed by a lone lead byte: normalisation drops it and the date reads.
  EXPECT_EQ(ParseDateTime("2022-02-02\xC3"), At(2022, 2, 2));
  // A text of nothing but a lone lead byte is empty after normalisation.
  EXPECT_EQ(ParseDateTime("\xC3"), std::nullopt);
}

TEST(TextToDateTimeTest, FailureIsTheEarliestValue) {
  EXPECT_EQ(TextToDateTime(""), DateTime::Earliest());
  EXPECT_EQ(TextToDateTime("not a date"), DateTime::Earliest());
  EXPECT_EQ(DateTimeToText(TextToDateTime("2022-2-30")), "100年1月1日");
}

// A clock that reports fixed fields.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(DateFields now) : now_(now) {}
  DateFields LocalNow() override { return now_; }
  int64_t MonotonicMs() override { return 0; }

 private:
  DateFields now_;
};

TEST(CurrentDateTimeTest, BuildsTheValueFromTheLocalFields) {
  FixedClock clock({2022, 11, 5, 9, 5, 3});
  EXPECT_EQ(CurrentDateTime(clock), At(2022, 11, 5, 9, 5, 3));
  // Two reads within one second are equal.
  EXPECT_EQ(CurrentDateTime(clock), CurrentDateTime(clock));
}

// The POSIX clock follows the TZ variable; the Windows clock follows the system's time-zone
// setting and is tested with the Win32 layer.
#ifndef _WIN32

// Sets TZ for one test and restores the previous zone afterwards.
class SystemClockTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_tz_ = tz;
  }
  void TearDown() override {
    if (saved_tz_) {
      setenv("TZ", saved_tz_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  static void UseZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }

  // Checks that the clock's local time is UTC shifted by `offset_seconds`, read between two
  // reads of time(): the only slack is the seconds that passed between them.
  static void ExpectLocalNowIsUtcPlus(int64_t offset_seconds) {
    auto clock = MakeSystemClock();
    const std::time_t before = std::time(nullptr);
    const DateFields fields = clock->LocalNow();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(IsValidDateTime(fields));
    const int64_t local = DateTime::FromFields(fields).seconds();
    const int64_t epoch = At(1970, 1, 1).seconds();
    EXPECT_GE(local, epoch + before + offset_seconds);
    EXPECT_LE(local, epoch + after + offset_seconds);
  }

 private:
  std::optional<std::string> saved_tz_;
};

TEST_F(SystemClockTest, LocalNowInUtc) {
  UseZone("UTC0");
  ExpectLocalNowIsUtcPlus(0);
}

TEST_F(SystemClockTest, LocalNowInChinaStandardTime) {
  UseZone("CST-8");
  ExpectLocalNowIsUtcPlus(8 * 3600);
}

TEST_F(SystemClockTest, LocalNowWestOfUtc) {
  UseZone("XYZ5");
  ExpectLocalNowIsUtcPlus(-5 * 3600);
}

TEST_F(SystemClockTest, LocalNowAgreesWithLocaltime) {
  UseZone("CST-8");
  auto clock = MakeSystemClock();
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ASSERT_NE(localtime_r(&now, &tm), nullptr);
  const DateFields fields = clock->LocalNow();
  const DateTime expected =
      At(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  const int64_t diff = DateTime::FromFields(fields).seconds() - expected.seconds();
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, 1);
}

TEST_F(SystemClockTest, MonotonicNeverGoesBack) {
  auto clock = MakeSystemClock();
  int64_t last = clock->MonotonicMs();
  for (int i = 0; i < 1000; ++i) {
    const int64_t now = clock->MonotonicMs();
    EXPECT_GE(now, last);
    last = now;
  }
}

#endif  // _WIN32

}  // namespace
}  // namespace morvane
