#include "text/numbers.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace morvane {
namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

struct IntegerCase {
  std::string_view text;
  int32_t expected;
};

TEST(ReadInteger, ReadsSignAndDigitsFromTheStart) {
  const IntegerCase cases[] = {
      {"", 0},
      {"abc", 0},
      {".", 0},
      {"5.9", 5},
      {"5", 5},
      {"12abc", 12},
      {"007", 7},
      {"+12", 12},
      {"-12", -12},
      {"-0", 0},
      {"-", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"0x1A", 0},
      {"1 2", 1},
      {" \t\r\n\v\f42", 42},
      {"５", 5},
      {"－５", -5},
      {"＋１２３", 123},
      {"　７", 7},  // ideographic space
      {"2147483647", kInt32Max},
      {"2147483648", kInt32Max},
      {"99999999999999999999999", kInt32Max},
      {"-2147483648", kInt32Min},
      {"-2147483649", kInt32Min},
      {"-99999999999999999999999", kInt32Min},
  };
  for (const IntegerCase& c : cases) EXPECT_EQ(ReadInteger(c.text), c.expected) << c.text;
}

struct NumberCase {
  std::string_view text;
  double expected;
};

TEST(TextToNumber, ReadsTheLongestDecimalNumberAtTheStart) {
  const NumberCase cases[] = {
      {"", 0.0},
      {"abc", 0.0},
      {".", 0.0},
      {"-", 0.0},
      {"+.", 0.0},
      {"e5", 0.0},
      {".e5", 0.0},
      {"inf", 0.0},
      {"nan", 0.0},
      {"INFINITY", 0.0},
      {"0x10", 0.0},
      {"5", 5.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"-.5", -0.5},
      {"+1.25", 1.25},
      {"1.2.3", 1.2},
      {"1e", 1.0},
      {"1e+", 1.0},
      {"1e-x", 1.0},
      {"1e3", 1000.0},
      {"1E-2", 0.01},
      {"2.5e+2x", 250.0},
      {"5.e3", 5000.0},
      {".5e1", 5.0},
      {"1e3.5", 1000.0},
      {"0.1", 0.1},
      {"1.11", 1.11},
      {"16666.67", 16666.67},
      {"123456789012345678901234567890", 1.2345678901234568e29},
      {"0.000000000000000000000000000001", 1e-30},
      {" \t\r\n\v\f-3", -3.0},
      {"１．５", 1.5},
      {"－２ｅ３", -2000.0},
      {"　４２", 42.0},
      {"1e400", HUGE_VAL},
      {"-1e400", -HUGE_VAL},
      {"0.0001e309", 1e305},
      {"99999e99999999999999", HUGE_VAL},
      {"1e-400", 0.0},
      {"0e99999", 0.0},
  };
  for (const NumberCase& c : cases) EXPECT_EQ(TextToNumber(c.text), c.expected) << c.text;
}

TEST(TextToNumber, UnderflowKeepsTheSign) {
  EXPECT_FALSE(std::signbit(TextToNumber("1e-400")));
  EXPECT_TRUE(std::signbit(TextToNumber("-1e-400")));
}

TEST(ReadSingle, StoresTheNumberAsAFloat) {
  EXPECT_EQ(ReadSingle("1.11"), 1.11f);
  EXPECT_EQ(ReadSingle("0.1"), 0.1f);
  EXPECT_EQ(ReadSingle("-5"), -5.0f);
  EXPECT_EQ(ReadSingle("abc"), 0.0f);
  EXPECT_EQ(ReadSingle("1e39"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ReadSingle("-1e39"), -std::numeric_limits<float>::infinity());
  // Just above the largest float, below the point where rounding reaches infinity.
  EXPECT_EQ(ReadSingle("3.4028235e38"), std::numeric_limits<float>::max());
  EXPECT_EQ(ReadSingle("3.40282356e38"), std::numeric_limits<float>::max());
  EXPECT_EQ(ReadSingle("3.40282357e38"), std::numeric_limits<float>::infinity());
}

TEST(TruncateToInt32, TruncatesTowardZeroAndSaturates) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    int32_t expected;
  } cases[] = {
      {0.0, 0},
      {-0.0, 0},
      {2.9, 2},
      {-2.9, -2},
      {0.999, 0},
      {-0.999, 0},
      {2147483646.9, 2147483646},
      {2147483647.0, kInt32Max},
      {2147483647.9, kInt32Max},
      {2147483648.0, kInt32Max},
      {1e20, kInt32Max},
      {inf, kInt32Max},
      {-2147483647.9, -2147483647},
      {-2147483648.0, kInt32Min},
      {-2147483648.9, kInt32Min},
      {-1e20, kInt32Min},
      {-inf, kInt32Min},
      {nan, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TruncateToInt32(c.value), c.expected) << c.value;
}

TEST(FormatInt, WritesPlainDecimal) {
  EXPECT_EQ(FormatInt(0), "0");
  EXPECT_EQ(FormatInt(5000000), "5000000");
  EXPECT_EQ(FormatInt(-2146967296), "-2146967296");
  EXPECT_EQ(FormatInt(std::numeric_limits<int64_t>::max()), "9223372036854775807");
  EXPECT_EQ(FormatInt(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

struct GeneralCase {
  double value;
  std::string_view expected;
};

TEST(FormatGeneral6, WritesSixSignificantDigits) {
  const GeneralCase cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {-300.0, "-300"},
      {3600.0, "3600"},
      {90.0, "90"},
      {0.5, "0.5"},
      {123456.0, "123456"},
      {1234567.0, "1.23457e+006"},
      {1200000.0, "1.2e+006"},
      {1000000.0, "1e+006"},
      {-1200000.0, "-1.2e+006"},
      {0.0001, "0.0001"},
      {0.00012345678, "0.000123457"},
      {0.00001, "1e-005"},
      {-0.00001, "-1e-005"},
      {1e100, "1e+100"},
      {1.5e-300, "1.5e-300"},
      {std::numeric_limits<double>::max(), "1.79769e+308"},
      {std::numeric_limits<double>::denorm_min(), "4.94066e-324"},
      {static_cast<double>(66.6f), "66.6"},
      {static_cast<double>(0.6f), "0.6"},
      {static_cast<double>(6.0f), "6"},
  };
  for (const GeneralCase& c : cases) EXPECT_EQ(FormatGeneral6(c.value), c.expected) << c.value;
}

TEST(FormatGeneral6, RoundsHalvesAwayFromZero) {
  // Each value lies exactly halfway between two six-digit results.
  const GeneralCase cases[] = {
      {1234565.0, "1.23457e+006"}, {-1234565.0, "-1.23457e+006"}, {4000005.0, "4.00001e+006"},
      {100000.5, "100001"},        {-100000.5, "-100001"},        {12345.25, "12345.3"},
      {1234.125, "1234.13"},       {-1234.125, "-1234.13"},
  };
  for (const GeneralCase& c : cases) EXPECT_EQ(FormatGeneral6(c.value), c.expected) << c.value;
}

TEST(FormatGeneral6, ChoosesTheNotationFromTheRoundedValue) {
  EXPECT_EQ(FormatGeneral6(999999.4), "999999");
  EXPECT_EQ(FormatGeneral6(999999.5), "1e+006");
  EXPECT_EQ(FormatGeneral6(99999.95), "99999.9");  // 99999.949999... in binary
  EXPECT_EQ(FormatGeneral6(99999.96), "100000");
  EXPECT_EQ(FormatGeneral6(0.00009999994), "9.99999e-005");
  EXPECT_EQ(FormatGeneral6(0.00009999996), "0.0001");
  EXPECT_EQ(FormatGeneral6(9.9999996e99), "1e+100");
}

TEST(FormatGeneral6, HandlesNonFiniteValues) {
  EXPECT_EQ(FormatGeneral6(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(FormatGeneral6(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(FormatGeneral6(std::numeric_limits<double>::quiet_NaN()), "nan");
}

// The C library's "%.6g" with its exponent widened to three digits.
std::string ReferenceGeneral6(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  std::string text = buffer;
  const std::size_t e = text.find('e');
  if (e != std::string::npos && text.size() - e == 4) text.insert(e + 2, "0");
  return text;
}

// Whether the exact decimal expansion of `value` ends with a 5 in the seventh significant digit.
bool IsSixDigitTie(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.40e", std::fabs(value));  // glibc prints exact digits
  if (buffer[7] != '5') return false;
  for (const char* p = buffer + 8; *p != 'e'; ++p) {
    if (*p != '0') return false;
  }
  return true;
}

std::string ReferenceRoundedUp(double value) {
  const int old_mode = std::fegetround();
  std::fesetround(FE_UPWARD);
  std::string text = ReferenceGeneral6(value);
  std::fesetround(old_mode);
  return text;
}

TEST(FormatGeneral6, AgreesWithTheCLibraryAcrossTheFloatRange) {
#ifndef __GLIBC__
  GTEST_SKIP() << "the reference is glibc's printf, which follows the rounding mode";
#endif
  // Every float bit pattern at a fixed stride, positive and negative. The C library rounds exact
  // halves to even; there the result must be the one rounded away from zero.
  int compared = 0;
  for (uint64_t bits = 1; bits < 0x7F800000u; bits += 9973) {
    const auto pattern = static_cast<uint32_t>(bits);
    float f;
    std::memcpy(&f, &pattern, sizeof f);
    for (const double value : {static_cast<double>(f), -static_cast<double>(f)}) {
      const std::string ours = FormatGeneral6(value);
      const std::string nearest = ReferenceGeneral6(value);
      if (ours == nearest) continue;
      ASSERT_TRUE(IsSixDigitTie(value)) << value << ": " << ours << " vs " << nearest;
      ASSERT_EQ(ours, value > 0 ? ReferenceRoundedUp(value) : "-" + ReferenceRoundedUp(-value))
          << value;
    }
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

// The duration text of a minutes text: minutes read as a float, times 60 in double precision,
// stored as a float again, then written in the general format.
std::string SecondsText(std::string_view minutes) {
  const float m = ReadSingle(minutes);
  const auto seconds = static_cast<float>(static_cast<double>(m) * 60.0);
  return FormatGeneral6(static_cast<double>(seconds));
}

TEST(FormatGeneral6, WritesDurationsFromMinutes) {
  const struct {
    std::string_view minutes;
    std::string_view seconds;
  } cases[] = {
      {"60", "3600"},
      {"90", "5400"},
      {"1.5", "90"},
      {"0.1", "6"},
      {"1.11", "66.6"},
      {"0.01", "0.6"},
      {"", "0"},
      {"abc", "0"},
      {"-5", "-300"},
      {"20000", "1.2e+006"},
      {"16666.67", "1e+006"},
      {"30", "1800"},
      {"６０", "3600"},
      {" 2.5", "150"},
      {"0.001", "0.06"},
      {"1e-7", "6e-006"},
  };
  for (const auto& c : cases) EXPECT_EQ(SecondsText(c.minutes), c.seconds) << c.minutes;
}

}  // namespace
}  // namespace morvane
