// The Win32 conversion fails as a whole where a character is invalid or has no form in the
// target; the core's own encoding tests run against it as well.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "platform/encoding.h"

namespace morvane {
namespace {

struct ConversionCase {
  const char* what;
  const char* from;
  const char* to;
  std::string input;
  std::optional<std::string> output;  // nullopt: the conversion fails
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.what; }

std::string Bytes(const char* bytes, std::size_t n) { return std::string(bytes, n); }

class Win32EncodingTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(Win32EncodingTest, Converts) {
  const ConversionCase& c = GetParam();
  EXPECT_EQ(MakeSystemEncoding()->Convert(c.from, c.to, c.input), c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Win32EncodingTest,
    testing::Values(
        ConversionCase{"utf8 to gbk", "UTF-8", "GBK", "\xE5\xB9\xB4", "年"},
        ConversionCase{"names ignore case", "utf-8", "gbk", "\xE5\xB9\xB4", "年"},
        ConversionCase{"cp936 is gbk", "CP936", "UTF-8", "年", "\xE5\xB9\xB4"},
        ConversionCase{"euro is byte 80", "UTF-8", "GBK", "\xE2\x82\xAC", "\x80"},
        ConversionCase{"byte 80 is euro", "GBK", "UTF-8", "\x80", "\xE2\x82\xAC"},
        ConversionCase{"registered sign has no gbk form", "UTF-8", "GBK", "a\xC2\xAE", {}},
        ConversionCase{"no best fit: fullwidth A to ascii", "UTF-8", "ASCII", "\xEF\xBC\xA1", {}},
        ConversionCase{"no best fit: e acute to ascii", "UTF-8", "ASCII", "\xC3\xA9", {}},
        ConversionCase{"emoji has no gbk form", "UTF-8", "GBK", "\xF0\x9F\x98\x80", {}},
        ConversionCase{"invalid utf8 byte", "UTF-8", "GBK", "ab\xFF", {}},
        ConversionCase{"utf8 cut off", "UTF-8", "UTF-16LE", "\xE5\xB9", {}},
        ConversionCase{"utf8 surrogate", "UTF-8", "UTF-16LE", "\xED\xA0\x80", {}},
        ConversionCase{"gbk lead byte at the end", "GBK", "UTF-8", "ab\xC4", {}},
        ConversionCase{"gbk byte ff", "GBK", "UTF-8", "\xFF\xA1", {}},
        ConversionCase{"utf16 of odd length", "UTF-16LE", "UTF-8", "A", {}},
        ConversionCase{
            "utf16 lone high surrogate to utf8", "UTF-16LE", "UTF-8", Bytes("\x3D\xD8", 2), {}},
        ConversionCase{
            "utf16 lone low surrogate to gbk", "UTF-16LE", "GBK", Bytes("\x00\xDC", 2), {}},
        ConversionCase{
            "utf16 lone surrogate to itself", "UTF-16LE", "UTF-16LE", Bytes("\x3D\xD8", 2), {}},
        ConversionCase{"utf16 pair to utf8", "UTF-16LE", "UTF-8", Bytes("\x3D\xD8\x00\xDE", 4),
                       "\xF0\x9F\x98\x80"},
        ConversionCase{"zero bytes pass", "GBK", "UTF-16LE", Bytes("a\0b", 3),
                       Bytes("a\0\0\0b\0", 6)},
        ConversionCase{"unknown name", "UTF-8", "LATIN-9", "a", {}}));

}  // namespace
}  // namespace morvane
