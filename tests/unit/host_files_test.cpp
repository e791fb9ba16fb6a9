#include "platform/host_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace morvane {
namespace {

namespace fs = std::filesystem;

// ---- Wildcards ----

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* os) {
  *os << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
}

class WildcardMatchTest : public testing::TestWithParam<MatchCase> {};

TEST_P(WildcardMatchTest, Matches) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches);
}

// Host names are UTF-8; "\xE4\xB8\xAD" is one character (U+4E2D).
INSTANTIATE_TEST_SUITE_P(
    Table, WildcardMatchTest,
    testing::Values(MatchCase{"", "", true}, MatchCase{"", "a", false}, MatchCase{"a", "", false},
                    MatchCase{"*", "", true}, MatchCase{"*", "anything.at all", true},
                    MatchCase{"**", "ab", true}, MatchCase{"?", "", false},
                    MatchCase{"?", "a", true}, MatchCase{"?", "ab", false},
                    MatchCase{"??", "a", false}, MatchCase{"a?c", "abc", true},
                    MatchCase{"a?c", "ac", false}, MatchCase{"abc", "ABC", true},
                    MatchCase{"Show.MP4", "show.mp4", true}, MatchCase{"abc", "abd", false},
                    MatchCase{"*.mp4", "show.mp4", true}, MatchCase{"*.mp4", "show.MP4", true},
                    MatchCase{"*.mp4", ".mp4", true}, MatchCase{"*.mp4", "show.mp4.bak", false},
                    MatchCase{"*.mp4", "show.mp4x", false}, MatchCase{"*.mp4", "showmp4", false},
                    MatchCase{"a*b*c", "abc", true}, MatchCase{"a*b*c", "aXXbYYc", true},
                    MatchCase{"a*b*c", "abcbc", true}, MatchCase{"a*b*c", "acb", false},
                    MatchCase{"a*b*c", "aXbYcZ", false}, MatchCase{"a*b*c", "Xabc", false},
                    MatchCase{"*a*", "bbb", false}, MatchCase{"*ab", "aab", true},
                    MatchCase{"?.txt", "\xE4\xB8\xAD.txt", true},
                    MatchCase{"??.txt", "\xE4\xB8\xAD.txt", false},
                    MatchCase{"?", "\xE4\xB8\xAD", true},
                    MatchCase{"\xE4\xB8\xAD?", "\xE4\xB8\xAD\xE6\x96\x87", true},
                    MatchCase{"*\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87", true},
                    MatchCase{"\xE4\xB8\xAD*", "\xE6\x96\x87", false}));

// ---- Files in a temporary folder ----

class HostFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ =
        fs::temp_directory_path() / "morvane-tests" / (std::string("host_files.") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Put(const fs::path& name, const std::string& bytes = "") {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::vector<std::string> Listing(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(HostFilesTest, EntryExistsForFilesFoldersAndLinks) {
  Put("clip.mp4");
  fs::create_directory(dir_ / "show.mp4");
#ifndef _WIN32  // symbolic links need a privilege on Windows
  fs::create_symlink(dir_ / "nowhere", dir_ / "dangling");
#endif

  EXPECT_TRUE(HostEntryExists(dir_ / "clip.mp4"));
  EXPECT_TRUE(HostEntryExists(dir_ / "show.mp4"));  // a folder counts
  EXPECT_TRUE(HostEntryExists(dir_));
#ifndef _WIN32
  EXPECT_TRUE(HostEntryExists(dir_ / "dangling"));  // the entry is there, its target is not
#endif
  EXPECT_FALSE(HostEntryExists(dir_ / "nowhere"));
  EXPECT_FALSE(HostEntryExists(dir_ / "clip.mp"));
  EXPECT_FALSE(HostEntryExists(dir_ / "missing" / "clip.mp4"));
}

TEST_F(HostFilesTest, WildcardsMatchInTheLastComponent) {
  Put("Clip.MP4");
  fs::create_directory(dir_ / "sub");

  EXPECT_TRUE(HostEntryExists(dir_ / "*.mp4"));
  EXPECT_TRUE(HostEntryExists(dir_ / "clip.???"));
  EXPECT_TRUE(HostEntryExists(dir_ / "s*"));  // folders match too
  EXPECT_TRUE(HostEntryExists(dir_ / "*"));
  EXPECT_FALSE(HostEntryExists(dir_ / "*.avi"));
  EXPECT_FALSE(HostEntryExists(dir_ / "clip.??"));
  EXPECT_FALSE(HostEntryExists(dir_ / "sub" / "*"));          // empty folder
  EXPECT_FALSE(HostEntryExists(dir_ / "missing" / "*.mp4"));  // no such folder
}

TEST_F(HostFilesTest, ReadHostFileGivesTheBytesWhole) {
  const std::string bytes("a\r\nb\0c\xFF", 7);
  Put("data.bin", bytes);
  EXPECT_EQ(ReadHostFile(dir_ / "data.bin"), bytes);
  Put("empty.txt");
  EXPECT_EQ(ReadHostFile(dir_ / "empty.txt"), "");
  EXPECT_EQ(ReadHostFile(dir_ / "missing.txt"), std::nullopt);
}

TEST_F(HostFilesTest, WriteReplacesTheWholeFileAndLeavesNoTemporary) {
  const fs::path file = dir_ / "last.ini";
  ASSERT_TRUE(WriteHostFileAtomically(file, "a much longer first content\r\n"));
  EXPECT_EQ(ReadHostFile(file), "a much longer first content\r\n");
  ASSERT_TRUE(WriteHostFileAtomically(file, std::string("x\0y", 3)));
  EXPECT_EQ(ReadHostFile(file), std::string("x\0y", 3));
  ASSERT_TRUE(WriteHostFileAtomically(file, ""));
  EXPECT_EQ(ReadHostFile(file), "");
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"last.ini"}));
}

TEST_F(HostFilesTest, AWriterStoppedBeforeTheRenameLeavesTheOldFileWhole) {
  const fs::path file = dir_ / "last.ini";
  const std::string old_settings = "[编辑框]\r\n编辑框录制时长=60\r\n";
  ASSERT_TRUE(WriteHostFileAtomically(file, old_settings));

  // The writing process ends abruptly once the new content is complete but not yet in place, as a
  // process killed at that moment does: no destructor, no flush, no rename.
  EXPECT_EXIT(
      WriteHostFileAtomically(file, "[编辑框]\r\n编辑框录制时长=90\r\n", [] { std::_Exit(3); }),
      ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(ReadHostFile(file), old_settings);

  // The next save replaces both the old file and the stale temporary.
  ASSERT_TRUE(WriteHostFileAtomically(file, "new"));
  EXPECT_EQ(ReadHostFile(file), "new");
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"last.ini"}));
}

TEST_F(HostFilesTest, FailedWriteReturnsFalseAndLeavesNothing) {
  EXPECT_FALSE(WriteHostFileAtomically(dir_ / "missing" / "last.ini", "x"));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  EXPECT_TRUE(Listing(dir_).empty());

  // A folder in the way is not replaced, and the temporary goes away.
  fs::create_directory(dir_ / "taken");
  EXPECT_FALSE(WriteHostFileAtomically(dir_ / "taken", "x"));
  EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"taken"}));
}

}  // namespace
}  // namespace morvane
