#include "platform/posix/paths.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace morvane {
namespace {

// UTF-8 bytes of a u8 literal; plain literals compile to GBK.
std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

struct PathCase {
  std::string core;                 // GBK, backslashes
  std::optional<std::string> host;  // UTF-8, "/"
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << "core path \"" << c.core << "\""; }

class ToHostPathTest : public testing::TestWithParam<PathCase> {
 protected:
  std::unique_ptr<Encoding> encoding_ = MakeSystemEncoding();
};

TEST_P(ToHostPathTest, Translates) {
  EXPECT_EQ(ToHostPath(*encoding_, GetParam().core), GetParam().host);
}

// "淺" is 9C 5C in GBK: its second byte is a backslash and must stay part of the character.
INSTANTIATE_TEST_SUITE_P(
    Table, ToHostPathTest,
    testing::Values(PathCase{"\\home\\u\\x", "/home/u/x"}, PathCase{"rel\\a.mp4", "rel/a.mp4"},
                    PathCase{"a.mp4", "a.mp4"}, PathCase{"", ""}, PathCase{"\\", "/"},
                    PathCase{"a/b\\c", "a/b/c"}, PathCase{"\\\\server\\share", "//server/share"},
                    PathCase{"D:\\Media\\x.mp4", "D:/Media/x.mp4"},
                    PathCase{"\\tmp\\录制\\淺.mp4", Utf8(u8"/tmp/录制/淺.mp4")},
                    PathCase{"\\tmp\\\x81", std::nullopt}));

class FromHostPathTest : public testing::TestWithParam<PathCase> {
 protected:
  std::unique_ptr<Encoding> encoding_ = MakeSystemEncoding();
};

TEST_P(FromHostPathTest, Translates) {
  ASSERT_TRUE(GetParam().host.has_value());
  EXPECT_EQ(FromHostPath(*encoding_, *GetParam().host), GetParam().core);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FromHostPathTest,
    testing::Values(PathCase{"\\home\\u\\x", "/home/u/x"}, PathCase{"rel\\a.mp4", "rel/a.mp4"},
                    PathCase{"", ""}, PathCase{"\\", "/"},
                    PathCase{"\\tmp\\录制\\淺.mp4", Utf8(u8"/tmp/录制/淺.mp4")}));

TEST(FromHostPathFailures, NoGbkFormOrNoUtf8Text) {
  std::unique_ptr<Encoding> encoding = MakeSystemEncoding();
  EXPECT_EQ(FromHostPath(*encoding, Utf8(u8"/tmp/®.mp4")), std::nullopt);
  EXPECT_EQ(FromHostPath(*encoding, "/tmp/\xFF.mp4"), std::nullopt);
}

}  // namespace
}  // namespace morvane
