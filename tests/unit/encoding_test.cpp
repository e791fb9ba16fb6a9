#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace morvane {
namespace {

// UTF-8 bytes of a u8 literal; plain literals compile to GBK.
std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

class EncodingTest : public testing::Test {
 protected:
  std::unique_ptr<Encoding> encoding_ = MakeSystemEncoding();
};

TEST_F(EncodingTest, ChineseRoundTrips) {
  const std::string utf8 = Utf8(u8"视频设备 \"USB2.0 摄像头\" (video)");
  const std::optional<std::string> gbk = Utf8ToGbk(*encoding_, utf8);
  ASSERT_TRUE(gbk.has_value());
  EXPECT_EQ(*gbk, "视频设备 \"USB2.0 摄像头\" (video)");
  EXPECT_EQ(GbkToUtf8(*encoding_, *gbk), utf8);
}

TEST_F(EncodingTest, GbkBytesOfKnownCharacters) {
  EXPECT_EQ(Utf8ToGbk(*encoding_, Utf8(u8"年月日")), "\xC4\xEA\xD4\xC2\xC8\xD5");
  EXPECT_EQ(GbkToUtf8(*encoding_, "\xC4\xEA"), Utf8(u8"年"));
}

TEST_F(EncodingTest, EuroSignIsByte80BothWays) {
  // Code page 936 has "€" as the single byte 0x80, and so does glibc's GBK.
  EXPECT_EQ(Utf8ToGbk(*encoding_, Utf8(u8"€")), "\x80");
  EXPECT_EQ(GbkToUtf8(*encoding_, "\x80"), Utf8(u8"€"));
}

TEST_F(EncodingTest, CharacterWithoutGbkFormFails) {
  EXPECT_EQ(Utf8ToGbk(*encoding_, Utf8(u8"®")), std::nullopt);
  // One unmappable character fails the whole text; nothing is skipped.
  EXPECT_EQ(Utf8ToGbk(*encoding_, Utf8(u8"摄像头®")), std::nullopt);
  EXPECT_EQ(Utf8ToGbk(*encoding_, Utf8(u8"a😀b")), std::nullopt);
}

TEST_F(EncodingTest, InvalidUtf8Fails) {
  EXPECT_EQ(Utf8ToGbk(*encoding_, "abc\xFF"), std::nullopt);           // never valid in UTF-8
  EXPECT_EQ(Utf8ToGbk(*encoding_, "\xC0\xAF"), std::nullopt);          // overlong "/"
  EXPECT_EQ(Utf8ToGbk(*encoding_, "\xED\xA0\x80"), std::nullopt);      // surrogate
  EXPECT_EQ(Utf8ToGbk(*encoding_, "ok\xE4\xB8"), std::nullopt);        // cut off at the end
  EXPECT_EQ(Utf8ToGbk(*encoding_, "\xE4\xB8\x41\x42"), std::nullopt);  // cut off inside
}

TEST_F(EncodingTest, InvalidGbkFails) {
  EXPECT_EQ(GbkToUtf8(*encoding_, "ab\xC4"), std::nullopt);  // lead byte at the end
  EXPECT_EQ(GbkToUtf8(*encoding_, "\xC4\x20"), std::nullopt);
}

TEST_F(EncodingTest, EmptyInputGivesEmptyOutput) {
  EXPECT_EQ(Utf8ToGbk(*encoding_, ""), std::string());
  EXPECT_EQ(GbkToUtf8(*encoding_, ""), std::string());
  EXPECT_EQ(encoding_->Convert("UTF-8", "UTF-16LE", std::string_view()), std::string());
}

TEST_F(EncodingTest, LongInputGrowsTheOutput) {
  // Each character grows from 2 bytes of GBK to 3 of UTF-8, and the whole must come through.
  std::string gbk;
  std::string utf8;
  for (int i = 0; i < 5000; ++i) {
    gbk += "中文";
    utf8 += Utf8(u8"中文");
  }
  EXPECT_EQ(GbkToUtf8(*encoding_, gbk), utf8);
  EXPECT_EQ(Utf8ToGbk(*encoding_, utf8), gbk);
}

TEST_F(EncodingTest, OtherNamedEncodings) {
  EXPECT_EQ(encoding_->Convert("UTF-8", "UTF-16LE", Utf8(u8"A中")), std::string("A\0\x2D\x4E", 4));
  EXPECT_EQ(encoding_->Convert("UTF-16LE", "GBK", std::string("A\0\x2D\x4E", 4)), "A中");
  EXPECT_EQ(encoding_->Convert("UTF-8", "CP936", Utf8(u8"中文")), "中文");
}

TEST_F(EncodingTest, UnknownEncodingFails) {
  EXPECT_EQ(encoding_->Convert("NO-SUCH-CODE", "UTF-8", "abc"), std::nullopt);
  EXPECT_EQ(encoding_->Convert("UTF-8", "NO-SUCH-CODE", "abc"), std::nullopt);
}

TEST_F(EncodingTest, SubstitutingTargetsAreRefused) {
  // A target without the character must fail, not substitute: no transliteration.
  EXPECT_EQ(encoding_->Convert("UTF-8", "ASCII", Utf8(u8"é")), std::nullopt);
  EXPECT_EQ(encoding_->Convert("UTF-8", "ASCII", "plain"), "plain");
}

}  // namespace
}  // namespace morvane
