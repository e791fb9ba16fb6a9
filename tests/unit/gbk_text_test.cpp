#include "text/gbk_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace morvane {
namespace {

// "\x81\x5D", "\x81\x5C" and "\x81\x7C" are double-byte characters whose second byte is the
// ASCII code of "]", "\\" and "|"; a match must never begin on that second byte.

TEST(CharLengthAt, CountsLeadBytePairsAndLoneBytes) {
  const std::string_view text = "a年\x81]\xB0";
  EXPECT_EQ(CharLengthAt(text, 0), 1u);  // "a"
  EXPECT_EQ(CharLengthAt(text, 1), 2u);  // "年"
  EXPECT_EQ(CharLengthAt(text, 3), 2u);  // lead byte with an ASCII second byte
  EXPECT_EQ(CharLengthAt(text, 5), 1u);  // lead byte at the very end
  EXPECT_EQ(CharLengthAt(text, 6), 0u);
  EXPECT_EQ(CharLengthAt(text, 100), 0u);
}

struct FindCase {
  std::string_view text;
  std::string_view pattern;
  int start;
  bool ignore_case;
  int expected;
};

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsFirstMatchOnACharacterBoundary) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindText(c.text, c.pattern, c.start, c.ignore_case), c.expected)
      << "pattern \"" << c.pattern << "\" start " << c.start;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    ::testing::Values(
        // Plain matches and the start position.
        FindCase{"abcabc", "bc", 1, false, 2}, FindCase{"abcabc", "bc", 2, false, 2},
        FindCase{"abcabc", "bc", 3, false, 5}, FindCase{"abcabc", "bc", 6, false, -1},
        FindCase{"abcabc", "c", 6, false, 6}, FindCase{"abcabc", "bc", 0, false, 2},
        FindCase{"abcabc", "bc", -7, false, 2}, FindCase{"abcabc", "a", 7, false, -1},
        FindCase{"abcabc", "a", 100, false, -1}, FindCase{"abcabc", "x", 1, false, -1},
        FindCase{"abc", "abcd", 1, false, -1}, FindCase{"abc", "", 1, false, -1},
        FindCase{"", "", 1, false, -1}, FindCase{"", "a", 1, false, -1},
        // Chinese text: positions count bytes.
        FindCase{"2022年11月5日", "年", 1, false, 5}, FindCase{"2022年11月5日", "月", 1, false, 9},
        FindCase{"2022年11月5日", "11", 1, false, 7},
        // Second bytes that look like ASCII are never the start of a match.
        FindCase{"\x81]", "]", 1, false, -1}, FindCase{"\x81]]", "]", 1, false, 3},
        FindCase{"\x81\\\\", "\\", 1, false, 3}, FindCase{"a\x81]]", "]", 3, false, 4},
        FindCase{"\x81]\x81]", "]", 1, false, -1},
        // "啊啊" is B0A1 B0A1; its middle bytes A1B0 spell "“", which is not in the text.
        FindCase{"啊啊", "“", 1, false, -1}, FindCase{"啊“", "“", 1, false, 3},
        // A lead byte at the very end is a character of its own.
        FindCase{"ab\xB0", "\xB0", 1, false, 3},
        // Ignoring case folds ASCII letters only.
        FindCase{"xABCx", "abc", 1, true, 2}, FindCase{"xABCx", "abc", 1, false, -1},
        FindCase{"xabcx", "ABC", 1, true, 2}, FindCase{"a[b", "{", 1, true, -1},
        FindCase{"a@b", "`", 1, true, -1}, FindCase{"年A", "年a", 1, true, 1},
        FindCase{"\x81\x41", "\x81\x61", 1, true, -1}, FindCase{"\x81]", "]", 1, true, -1}));

TEST(SameTextIgnoringCase, FoldsAsciiLettersOnly) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"FFmpeg.EXE", "ffmpeg.exe", true},
      {"编辑框", "编辑框", true},
      {"", "", true},
      {"ab", "abc", false},
      {"[", "{", false},                // not letters
      {"\x81\x41", "\x81\x61", false},  // a second byte that looks like a letter
      {"D:\\Capture", "d:\\capture", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameTextIgnoringCase(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
}

TEST(FindLastText, FindsLastMatchOnACharacterBoundary) {
  EXPECT_EQ(FindLastText("a|b|c", "|"), 4);
  EXPECT_EQ(FindLastText("a<|>b<|>", "<|>"), 6);
  EXPECT_EQ(FindLastText("aaa", "aa"), 2);
  EXPECT_EQ(FindLastText("]\x81]", "]"), 1);
  EXPECT_EQ(FindLastText("\x81]", "]"), -1);
  EXPECT_EQ(FindLastText("abc", "x"), -1);
  EXPECT_EQ(FindLastText("abc", ""), -1);
  EXPECT_EQ(FindLastText("", "a"), -1);
  EXPECT_EQ(FindLastText("xABx", "ab", true), 2);
  EXPECT_EQ(FindLastText("xABx", "ab", false), -1);
}

struct MiddleCase {
  int pos;
  int n;
  std::string_view expected;
};

TEST(MiddleText, CutsAtTheTextAndIgnoresOutsidePositions) {
  const std::string_view text = "abcdef";
  const MiddleCase cases[] = {
      {1, 3, "abc"}, {4, 3, "def"}, {4, 100, "def"}, {6, 1, "f"}, {1, 6, "abcdef"},
      {7, 1, ""},    {0, 3, ""},    {-1, 3, ""},     {2, 0, ""},  {2, -1, ""},
  };
  for (const MiddleCase& c : cases) {
    EXPECT_EQ(MiddleText(text, c.pos, c.n), c.expected) << "pos " << c.pos << " n " << c.n;
  }
  EXPECT_EQ(MiddleText("", 1, 1), "");
  EXPECT_EQ(MiddleText("2022年", 5, 2), "年");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceLeftToRight) {
  EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", "><br><"), "a><br><b><br><");
  EXPECT_EQ(ReplaceAll("\"x\"", "\"", "#引号"), "#引号x#引号");
  EXPECT_EQ(ReplaceAll("#引号x#引号", "#引号", "\""), "\"x\"");
  EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
  EXPECT_EQ(ReplaceAll("", "x", "y"), "");
  EXPECT_EQ(ReplaceAll("abc", "", "y"), "abc");
  EXPECT_EQ(ReplaceAll("abc", "abc", ""), "");
}

TEST(ReplaceAll, DoesNotOverlapOrRescanReplacements) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
  EXPECT_EQ(ReplaceAll("><br><br><", "><br><", "\r\n"), "\r\nbr><");
}

TEST(ReplaceAll, LeavesSecondBytesOfDoubleByteCharactersAlone) {
  EXPECT_EQ(ReplaceAll("\x81]]", "]", "X"), "\x81]X");
  EXPECT_EQ(ReplaceAll("\x81\\a\\", "\\", "/"), "\x81\\a/");
  EXPECT_EQ(ReplaceAll("啊啊", "“", "\""), "啊啊");
  EXPECT_EQ(ReplaceAll("年\"年\"", "\"", "#引号"), "年#引号年#引号");
}

TEST(SplitText, KeepsEmptyPieces) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(SplitText("a||b", "|"), (Pieces{"a", "", "b"}));
  EXPECT_EQ(SplitText("a|", "|"), (Pieces{"a", ""}));
  EXPECT_EQ(SplitText("|a", "|"), (Pieces{"", "a"}));
  EXPECT_EQ(SplitText("|", "|"), (Pieces{"", ""}));
  EXPECT_EQ(SplitText("", "|"), (Pieces{""}));
  EXPECT_EQ(SplitText("abc", "|"), (Pieces{"abc"}));
  EXPECT_EQ(SplitText("abc", ""), (Pieces{"abc"}));
  EXPECT_EQ(SplitText("", ""), (Pieces{""}));
}

TEST(SplitText, SplitsAtMultiByteSeparatorsOnCharacterBoundaries) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(SplitText("上场优先<|>0<||>自动<|>-1<||>-1<|>", "<||>"),
            (Pieces{"上场优先<|>0", "自动<|>-1", "-1<|>"}));
  EXPECT_EQ(SplitText("a\x81|b|c", "|"), (Pieces{"a\x81|b", "c"}));
  EXPECT_EQ(SplitText("编辑框1日志|编辑框_视频路径", "|"),
            (Pieces{"编辑框1日志", "编辑框_视频路径"}));
}

TEST(NormaliseFullWidth, ReadsFullWidthFormsAsAscii) {
  EXPECT_EQ(NormaliseFullWidth("２０２２－０２－０２"), "2022-02-02");
  EXPECT_EQ(NormaliseFullWidth("１２．５／３：４"), "12.5/3:4");
  EXPECT_EQ(NormaliseFullWidth("ＡｚＺａ！"), "AzZa!");
  EXPECT_EQ(NormaliseFullWidth("\xA3\xA1\xA3\xFE"), "!~");  // the ends of the A3 row
  EXPECT_EQ(NormaliseFullWidth("a　b"), "a b");             // ideographic space
  EXPECT_EQ(NormaliseFullWidth("～★☆"), "~**");
}

TEST(NormaliseFullWidth, PassesEverythingElseUnchanged) {
  EXPECT_EQ(NormaliseFullWidth(""), "");
  EXPECT_EQ(NormaliseFullWidth("abc 123"), "abc 123");
  EXPECT_EQ(NormaliseFullWidth("2022年11月"), "2022年11月");
  EXPECT_EQ(NormaliseFullWidth("“啊”"), "“啊”");
  EXPECT_EQ(NormaliseFullWidth("\xA3\xA0\xA3\xFF"), "\xA3\xA0\xA3\xFF");  // outside the A3 row
  EXPECT_EQ(NormaliseFullWidth("\xA1\xAA\xA1\xEC"), "\xA1\xAA\xA1\xEC");
  EXPECT_EQ(NormaliseFullWidth("\x81]"), "\x81]");
  // The pair is taken whole, so the second byte of "\xA1\xA3" does not start "\xA3\xB1".
  EXPECT_EQ(NormaliseFullWidth("\xA1\xA3\xB1"), "\xA1\xA3");
}

TEST(NormaliseFullWidth, DropsALeadByteAtTheEnd) {
  EXPECT_EQ(NormaliseFullWidth("5\xA3"), "5");
  EXPECT_EQ(NormaliseFullWidth("\xB0"), "");
}

}  // namespace
}  // namespace morvane
