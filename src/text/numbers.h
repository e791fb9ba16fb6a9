// Numbers read from and written as GBK texts.
//
// Every reader first applies NormaliseFullWidth, skips leading white space, reads a number from
// the start of what remains and gives 0 when no number begins there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

// An optional sign and the decimal digits up to the first other byte: "5.9" reads as 5, "" and
// "abc" as 0. Values beyond the 32-bit range saturate.
int32_t ReadInteger(std::string_view text);

// A decimal floating-point number: optional sign, digits with at most one decimal point, an
// optional exponent (e or E, optional sign, digits). Reading stops at the first byte that cannot
// continue it; a lone "." or an "e" without digits is not part of the number.
double TextToNumber(std::string_view text);

// TextToNumber stored as a 32-bit float.
float ReadSingle(std::string_view text);

// Truncated toward zero and taken as a signed 32-bit integer, saturating; NaN gives 0.
int32_t TruncateToInt32(double value);

// Plain decimal with "-" for negative values, as "%d" writes it.
std::string FormatInt(int64_t value);

// The "%.6g" general format with a signed three-digit exponent: six significant digits rounded
// half away from zero, plain notation for decimal exponents -4..5, trailing zeros dropped.
// 1200000 gives "1.2e+006", 66.6f gives "66.6", 0 gives "0".
std::string FormatGeneral6(double value);

}  // namespace morvane
