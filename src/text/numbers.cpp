#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

#include "text/gbk_text.h"

namespace morvane {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::size_t SkipWhiteSpace(std::string_view text, std::size_t i) {
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  return i;
}

// Reads an optional sign at `i`; true for "-".
bool ReadSign(std::string_view text, std::size_t& i) {
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) return text[i++] == '-';
  return false;
}

}  // namespace

int32_t ReadInteger(std::string_view text) {
  const std::string normal = NormaliseFullWidth(text);
  const std::string_view s = normal;
  std::size_t i = SkipWhiteSpace(s, 0);
  const bool negative = ReadSign(s, i);
  // Accumulate the magnitude and stop growing it once it is past every 32-bit value.
  constexpr int64_t kCap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    if (magnitude <= kCap) magnitude = magnitude * 10 + (s[i] - '0');
  }
  if (negative) {
    return magnitude >= kCap ? std::numeric_limits<int32_t>::min()
                             : static_cast<int32_t>(-magnitude);
  }
  return magnitude >= kCap ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

double TextToNumber(std::string_view text) {
  const std::string normal = NormaliseFullWidth(text);
  const std::string_view s = normal;
  std::size_t i = SkipWhiteSpace(s, 0);
  const bool negative = ReadSign(s, i);
  const std::size_t begin = i;

  // The mantissa, noting the decimal exponent of its first non-zero digit so that a value out of
  // range can be told apart as overflow or underflow.
  std::size_t digits = 0;
  int64_t lead_exponent = 0;
  bool seen_nonzero = false;
  int64_t int_digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) {
    if (s[i] != '0') seen_nonzero = true;
    if (seen_nonzero) ++int_digits;
  }
  if (seen_nonzero) lead_exponent = int_digits - 1;
  if (i < s.size() && s[i] == '.') {
    ++i;
    for (int64_t place = -1; i < s.size() && IsDigit(s[i]); ++i, ++digits, --place) {
      if (!seen_nonzero && s[i] != '0') {
        seen_nonzero = true;
        lead_exponent = place;
      }
    }
  }
  if (digits == 0) return 0.0;

  // The exponent belongs to the number only when at least one digit follows "e" and its sign.
  std::size_t end = i;
  int64_t exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    const bool exponent_negative = ReadSign(s, j);
    if (j < s.size() && IsDigit(s[j])) {
      for (; j < s.size() && IsDigit(s[j]); ++j) {
        if (exponent < 1'000'000'000) exponent = exponent * 10 + (s[j] - '0');
      }
      if (exponent_negative) exponent = -exponent;
      end = j;
    }
  }

  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(s.data() + begin, s.data() + end, value);
  if (ec == std::errc::result_out_of_range) {
    value = (lead_exponent + exponent > 0) ? HUGE_VAL : 0.0;
  }
  return negative ? -value : value;
}

float ReadSingle(std::string_view text) {
  const double value = TextToNumber(text);
  // A double beyond the float range would make the plain conversion undefined; round as IEEE
  // does: to infinity from half an ulp above the largest float, else to the largest float.
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  if (std::isfinite(value) && std::fabs(value) > kFloatMax) {
    constexpr double kOverflowAt = 0x1.ffffffp127;
    const float magnitude = std::fabs(value) >= kOverflowAt ? std::numeric_limits<float>::infinity()
                                                            : std::numeric_limits<float>::max();
    return value < 0 ? -magnitude : magnitude;
  }
  return static_cast<float>(value);
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

std::string FormatInt(int64_t value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

std::string FormatGeneral6(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return "0";

  // The exact decimal expansion: no double has more than 767 significant digits, so at this
  // precision to_chars does not round and the seventh digit decides alone.
  constexpr int kExactPrecision = 800;
  char expansion[kExactPrecision + 16];
  const auto [exp_end, ec] =
      std::to_chars(expansion, expansion + sizeof expansion, std::fabs(value),
                    std::chars_format::scientific, kExactPrecision);
  // Layout: d.dddd...e+XX
  char digits[6] = {expansion[0], expansion[2], expansion[3],
                    expansion[4], expansion[5], expansion[6]};
  const char seventh = expansion[7];
  const char* e = expansion + 2 + kExactPrecision;
  const char* exponent_text = e + 1;
  if (*exponent_text == '+') ++exponent_text;
  int exponent = 0;
  std::from_chars(exponent_text, exp_end, exponent);

  if (seventh >= '5') {
    int k = 5;
    while (k >= 0 && digits[k] == '9') digits[k--] = '0';
    if (k >= 0) {
      ++digits[k];
    } else {
      digits[0] = '1';
      ++exponent;
    }
  }
  int count = 6;
  while (count > 1 && digits[count - 1] == '0') --count;

  std::string out;
  if (value < 0) out.push_back('-');
  if (exponent >= -4 && exponent <= 5) {
    if (exponent < 0) {
      out.append("0.");
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out.append(digits, static_cast<std::size_t>(count));
    } else {
      const int int_count = exponent + 1;
      for (int k = 0; k < int_count; ++k) out.push_back(k < count ? digits[k] : '0');
      if (count > int_count) {
        out.push_back('.');
        out.append(digits + int_count, static_cast<std::size_t>(count - int_count));
      }
    }
    return out;
  }
  out.push_back(digits[0]);
  if (count > 1) {
    out.push_back('.');
    out.append(digits + 1, static_cast<std::size_t>(count - 1));
  }
  out.push_back('e');
  out.push_back(exponent < 0 ? '-' : '+');
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 100) out.push_back('0');
  if (magnitude < 10) out.push_back('0');
  out.append(std::to_string(magnitude));
  return out;
}

}  // namespace morvane
