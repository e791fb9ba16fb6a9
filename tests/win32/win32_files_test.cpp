// Files by GBK path: the existence test as the system's file search answers it, whole-file reads
// and replacing writes, and the current directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"

namespace morvane {
namespace {

class Win32FilesTest : public testing::Test {
 protected:
  // The names in the folder, sorted, without "." and "..".
  std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    ScopedFindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!search) return names;
    do {
      const std::string name = entry.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(search.get(), &entry));
    std::sort(names.begin(), names.end());
    return names;
  }

  test::ScratchFolder dir_;
  Win32Files files_;
};

TEST_F(Win32FilesTest, FilesAndFoldersExist) {
  ASSERT_TRUE(test::PutFile(dir_ / "clip.mp4"));
  ASSERT_TRUE(::CreateDirectoryA((dir_ / "show.mp4").c_str(), nullptr));

  EXPECT_TRUE(files_.Exists(dir_ / "clip.mp4"));
  EXPECT_TRUE(files_.Exists(dir_ / "CLIP.MP4"));  // names compare without case
  EXPECT_TRUE(files_.Exists(dir_ / "show.mp4"));  // a folder counts
  EXPECT_FALSE(files_.Exists(dir_ / "clip.mp"));
  EXPECT_FALSE(files_.Exists(dir_ / "missing\\clip.mp4"));
  EXPECT_FALSE(files_.Exists(""));
}

TEST_F(Win32FilesTest, WildcardsAreTheSystemsOwn) {
  ASSERT_TRUE(test::PutFile(dir_ / "Clip.MP4"));
  ASSERT_TRUE(test::PutFile(dir_ / "视频.mkv"));
  ASSERT_TRUE(::CreateDirectoryA((dir_ / "sub").c_str(), nullptr));

  EXPECT_TRUE(files_.Exists(dir_ / "*.mp4"));
  EXPECT_TRUE(files_.Exists(dir_ / "clip.???"));
  EXPECT_TRUE(files_.Exists(dir_ / "s*"));      // folders match too
  EXPECT_TRUE(files_.Exists(dir_ / "??.mkv"));  // "?" is one character, double-byte ones too
  EXPECT_FALSE(files_.Exists(dir_ / "?.mkv"));
  EXPECT_FALSE(files_.Exists(dir_ / "*.avi"));
  EXPECT_FALSE(files_.Exists(dir_ / "clip.??"));
  EXPECT_FALSE(files_.Exists(dir_ / "missing\\*.mp4"));
  // An empty folder still holds its "." and ".." entries, which "*" finds.
  EXPECT_TRUE(files_.Exists(dir_ / "sub\\*"));
}

TEST_F(Win32FilesTest, GbkNamesExist) {
  ASSERT_TRUE(test::PutFile(dir_ / "2022年11月5日9时5分3秒.mp4"));
  EXPECT_TRUE(files_.Exists(dir_ / "2022年11月5日9时5分3秒.mp4"));
  EXPECT_FALSE(files_.Exists(dir_ / "2022年11月5日9时5分4秒.mp4"));
}

TEST_F(Win32FilesTest, ReadGivesTheBytesWhole) {
  const std::string bytes("a\r\nb\0c\xFF", 7);
  ASSERT_TRUE(test::PutFile(dir_ / "data.bin", bytes));
  ASSERT_TRUE(test::PutFile(dir_ / "empty.txt"));
  ASSERT_TRUE(::CreateDirectoryA((dir_ / "folder").c_str(), nullptr));

  EXPECT_EQ(files_.ReadFile(dir_ / "data.bin"), bytes);
  EXPECT_EQ(files_.ReadFile(dir_ / "empty.txt"), "");
  EXPECT_EQ(files_.ReadFile(dir_ / "missing.txt"), std::nullopt);
  EXPECT_EQ(files_.ReadFile(dir_ / "folder"), std::nullopt);
}

TEST_F(Win32FilesTest, WriteReplacesTheFileAndLeavesNoTemporary) {
  const std::string file = dir_ / "last.ini";
  ASSERT_TRUE(files_.WriteFile(file, "a much longer first content\r\n"));
  EXPECT_EQ(test::FileBytes(file), "a much longer first content\r\n");
  ASSERT_TRUE(files_.WriteFile(file, std::string("x\0y", 3)));
  EXPECT_EQ(test::FileBytes(file), std::string("x\0y", 3));
  ASSERT_TRUE(files_.WriteFile(file, ""));
  EXPECT_EQ(test::FileBytes(file), "");
  EXPECT_EQ(Listing(dir_.path()), (std::vector<std::string>{"last.ini"}));
}

TEST_F(Win32FilesTest, WriteFindsTheFolderOfADoubleByteName) {
  // The second byte of "乗" is 0x5C, a backslash when read byte by byte.
  ASSERT_EQ(std::string("乗"), "\x81\x5C");
  const std::string file = dir_ / "设置乗.ini";
  ASSERT_TRUE(files_.WriteFile(file, "[s]\r\n"));
  EXPECT_EQ(test::FileBytes(file), "[s]\r\n");
  EXPECT_EQ(Listing(dir_.path()), (std::vector<std::string>{"设置乗.ini"}));
}

TEST_F(Win32FilesTest, FailedWriteKeepsWhatWasThere) {
  EXPECT_FALSE(files_.WriteFile(dir_ / "missing\\last.ini", "x"));
  EXPECT_TRUE(Listing(dir_.path()).empty());

  // A folder in the way is not replaced, and the temporary goes away.
  ASSERT_TRUE(::CreateDirectoryA((dir_ / "taken").c_str(), nullptr));
  EXPECT_FALSE(files_.WriteFile(dir_ / "taken", "x"));
  EXPECT_EQ(Listing(dir_.path()), (std::vector<std::string>{"taken"}));

  // So is a read-only file.
  const std::string locked = dir_ / "locked.ini";
  ASSERT_TRUE(test::PutFile(locked, "old"));
  ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files_.WriteFile(locked, "new"));
  EXPECT_EQ(test::FileBytes(locked), "old");
  EXPECT_EQ(Listing(dir_.path()), (std::vector<std::string>{"locked.ini", "taken"}));
}

TEST_F(Win32FilesTest, RelativePathsFollowTheCurrentDirectory) {
  const std::string before = files_.CurrentDirectory();
  ASSERT_FALSE(before.empty());
  ASSERT_TRUE(files_.SetCurrentDirectory(dir_.path()));
  EXPECT_EQ(files_.CurrentDirectory(), dir_.path());

  EXPECT_TRUE(files_.WriteFile("relative.ini", "r"));
  EXPECT_TRUE(files_.Exists("relative.ini"));
  EXPECT_EQ(files_.ReadFile("relative.ini"), "r");
  EXPECT_EQ(test::FileBytes(dir_ / "relative.ini"), "r");

  EXPECT_FALSE(files_.SetCurrentDirectory(dir_ / "missing"));
  EXPECT_EQ(files_.CurrentDirectory(), dir_.path());
  ASSERT_TRUE(files_.SetCurrentDirectory(before));  // the scratch folder can go
}

}  // namespace
}  // namespace morvane
