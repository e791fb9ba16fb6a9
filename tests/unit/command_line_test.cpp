#include "text/command_line.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace morvane {
namespace {

using Args = std::vector<std::string>;

struct SplitCase {
  const char* name;
  std::string line;
  Args expected;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, Splits) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(SplitCommandLine(c.line), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramName, SplitCommandLineTest,
    testing::Values(
        SplitCase{"Plain", R"(D:\Capture\ffmpeg.exe -y)", {R"(D:\Capture\ffmpeg.exe)", "-y"}},
        SplitCase{"Alone", R"(ffplay.exe)", {"ffplay.exe"}},
        SplitCase{"QuotedWithBlanks",
                  R"("D:\My Capture\ffmpeg.exe" -i x)",
                  {R"(D:\My Capture\ffmpeg.exe)", "-i", "x"}},
        // No backslash rules in the program name: the backslash stays, the quote ends it.
        SplitCase{"BackslashBeforeClosingQuote", R"("C:\dir\" next)", {R"(C:\dir\)", "next"}},
        SplitCase{"DoubledBackslashesKept",
                  R"(\\server\share\a.exe x)",
                  {R"(\\server\share\a.exe)", "x"}},
        SplitCase{"EndsAtTab", "a.exe\tb", {"a.exe", "b"}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Arguments, SplitCommandLineTest,
    testing::Values(
        SplitCase{"Blanks", "a.exe  -f   dshow -i x", {"a.exe", "-f", "dshow", "-i", "x"}},
        SplitCase{"QuotesGroup", R"(a.exe "two words" three)", {"a.exe", "two words", "three"}},
        SplitCase{"QuotesInsideAWord", R"(a.exe ab"c d"e)", {"a.exe", "abc de"}},
        SplitCase{"EmptyQuoted", R"(a.exe "" x)", {"a.exe", "", "x"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", R"(a.exe "x  y)", {"a.exe", "x  y"}},
        SplitCase{"OneBackslashQuote", R"(a.exe a\"b)", {"a.exe", R"(a"b)"}},
        SplitCase{"ThreeBackslashesQuote", R"(a.exe a\\\"b)", {"a.exe", R"(a\"b)"}},
        SplitCase{"TwoBackslashesQuoteGroups", R"(a.exe a\\"b c")", {"a.exe", R"(a\b c)"}},
        SplitCase{
            "FourBackslashesBeforeClosingQuote", R"(a.exe "x\\\\" y)", {"a.exe", R"(x\\)", "y"}},
        SplitCase{"EscapedQuoteInsideQuotes", R"(a.exe "say \"hi\"")", {"a.exe", R"(say "hi")"}},
        SplitCase{"DoubledQuoteInsideQuotes", R"(a.exe "a""b")", {"a.exe", R"(a"b)"}},
        SplitCase{"DoubledQuotesKeepTheGroup",
                  R"(a.exe "say ""hi"" now" x)",
                  {"a.exe", R"(say "hi" now)", "x"}},
        SplitCase{"BackslashesNotBeforeAQuote",
                  R"(a.exe D:\Capture\\x \\srv\s C:\dir\)",
                  {"a.exe", R"(D:\Capture\\x)", R"(\\srv\s)", R"(C:\dir\)"}},
        SplitCase{
            "QuotedPathEndingInBackslashes", R"(a.exe "C:\dir\\" y)", {"a.exe", R"(C:\dir\)", "y"}},
        SplitCase{"Tabs", "a.exe\tx\t\t y", {"a.exe", "x", "y"}},
        SplitCase{"TabInsideQuotes", "a.exe \"x\ty\"", {"a.exe", "x\ty"}},
        SplitCase{"TrailingBlanks", "a.exe x  \t ", {"a.exe", "x"}},
        SplitCase{"OnlyProgramAndBlanks", "a.exe   ", {"a.exe"}}, SplitCase{"EmptyLine", "", {}},
        SplitCase{"OnlyBlanks", " \t ", {}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Gbk, SplitCommandLineTest,
    testing::Values(SplitCase{"Unchanged",
                              R"(D:\录像\ffmpeg.exe -i video="USB 摄像头" "D:\视频\文件 1.mp4")",
                              {R"(D:\录像\ffmpeg.exe)", "-i", "video=USB 摄像头",
                               R"(D:\视频\文件 1.mp4)"}},
                    // The second byte of "乗" is 0x5C, the byte of a backslash; it escapes nothing.
                    SplitCase{"SecondByteLikeABackslashBeforeAQuote",
                              R"(a.exe "D:\乗" next)",
                              {"a.exe", R"(D:\乗)", "next"}},
                    SplitCase{"SecondByteLikeABackslashBeforeAnOpeningQuote",
                              R"(a.exe 乗"x y")",
                              {"a.exe", "乗x y"}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(SplitCommandLineBytesTest, TheTestCharacterEndsInABackslashByte) {
  const std::string character = "乗";
  ASSERT_EQ(character.size(), 2u);
  EXPECT_EQ(character[1], '\\');
}

}  // namespace
}  // namespace morvane
