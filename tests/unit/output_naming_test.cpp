// Output file names: the default date-time name, suffixes for taken names, the path box and its
// label, and the save dialog.
#include "recording/output_naming.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app_fixture.h"

namespace morvane {
namespace {

using enum Ctl;

constexpr const char* kMarker = "默认时间文件名";
constexpr const char* kNow = "2022年11月5日9时5分3秒";

class OutputNamingTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    sim_.SetLocalTime({2022, 11, 5, 9, 5, 3});
  }

  // Creates a host entry below the tool's folder; a trailing "/" makes it a folder.
  void Take(const std::string& relative) {
    if (!relative.empty() && relative.back() == '/') {
      std::filesystem::create_directories(root_ / relative);
    } else {
      PutFile(relative);
    }
  }

  void SetPathBox(const std::string& text) { w_.SetText(编辑框_视频路径, text); }
  const std::string& PathBox() const { return w_.Text(编辑框_视频路径); }

  // The numbered entry the save button writes, with the current counter.
  std::string SaveEntry(const std::string& folder) const {
    return "\r\n\r\n" + std::to_string(app_.LogCounter) + "." + kNow + "\r\n文件保存位置：" +
           folder;
  }
  const std::string& Log() const { return w_.Text(编辑框1日志); }
};

TEST_F(OutputNamingTest, MarkerGivesTheDateTimeName) {
  ASSERT_EQ(PathBox(), kMarker);
  EXPECT_EQ(ChooseOutputPath(app_), std::string(kNow) + ".mp4");
  EXPECT_EQ(app_.NameSuffixCounter, 0);
  EXPECT_EQ(PathBox(), kMarker);
}

// Two starts within one second must not share a file: a taken date-time name gets a suffix too.
TEST_F(OutputNamingTest, TakenDateTimeNameGetsASuffix) {
  PutFile(std::filesystem::path(u8"2022年11月5日9时5分3秒.mp4"));
  EXPECT_EQ(ChooseOutputPath(app_), std::string(kNow) + "_0.mp4");
  EXPECT_EQ(app_.NameSuffixCounter, 0);
  PutFile(std::filesystem::path(u8"2022年11月5日9时5分3秒_0.mp4"));
  EXPECT_EQ(ChooseOutputPath(app_), std::string(kNow) + "_1.mp4");
  EXPECT_EQ(app_.NameSuffixCounter, 1);
  EXPECT_EQ(PathBox(), kMarker);
}

// The date-time name is relative, so it is tested in the current directory, wherever a save
// dialog left it.
TEST_F(OutputNamingTest, DateTimeNameIsTestedInTheCurrentDirectory) {
  std::filesystem::create_directories(root_ / ".drives/D/Media");
  PutFile(std::filesystem::path(u8".drives/D/Media/2022年11月5日9时5分3秒.mp4"));
  EXPECT_EQ(ChooseOutputPath(app_), std::string(kNow) + ".mp4");
  ASSERT_TRUE(sim_.SetCurrentDirectory("D:\\Media"));
  EXPECT_EQ(ChooseOutputPath(app_), std::string(kNow) + "_0.mp4");
}

struct NamingCase {
  const char* name;
  std::string box;
  std::vector<std::string> taken;  // below the tool's folder; ".drives/D/..." is drive D:
  std::string expected;
  int32_t counter;
};

TEST_F(OutputNamingTest, TypedPaths) {
  const std::vector<NamingCase> cases = {
      {"free path", "D:\\Media\\show.mp4", {}, "D:\\Media\\show.mp4", 0},
      {"taken path",
       "D:\\Media\\show.mp4",
       {".drives/D/Media/show.mp4"},
       "D:\\Media\\show_0.mp4",
       0},
      {"taken suffixes are skipped",
       "D:\\Media\\show.mp4",
       {".drives/D/Media/show.mp4", ".drives/D/Media/show_0.mp4", ".drives/D/Media/show_1.mp4"},
       "D:\\Media\\show_2.mp4",
       2},
      {"extension in capitals",
       "D:\\Media\\show.MP4",
       {".drives/D/Media/show.MP4"},
       "D:\\Media\\show_0.mp4",
       0},
      {"mixed-case extension",
       "D:\\Media\\show.Mp4",
       {".drives/D/Media/show.Mp4"},
       "D:\\Media\\show_0.mp4",
       0},
      {"the last .mp4 counts",
       "D:\\Media\\show.mp4.mp4",
       {".drives/D/Media/show.mp4.mp4"},
       "D:\\Media\\show.mp4_0.mp4",
       0},
      {"text after .mp4 is dropped",
       "D:\\Media\\show.mp4x",
       {".drives/D/Media/show.mp4x"},
       "D:\\Media\\show_0.mp4",
       0},
      {"folder counts as taken",
       "D:\\Media\\show.mp4",
       {".drives/D/Media/show.mp4/"},
       "D:\\Media\\show_0.mp4",
       0},
      {"folder with a suffixed name counts as taken",
       "D:\\Media\\show.mp4",
       {".drives/D/Media/show.mp4", ".drives/D/Media/show_0.mp4/"},
       "D:\\Media\\show_1.mp4",
       1},
      {".mp4 at the very start", ".mp4", {".mp4"}, "_0.mp4", 0},
      {"relative name", "clip.mp4", {"clip.mp4"}, "clip_0.mp4", 0},
      {"relative name elsewhere", "clip.mp4", {".drives/D/clip.mp4"}, "clip.mp4", 0},
      {"star matching a file",
       "D:\\Media\\*.mp4",
       {".drives/D/Media/x.mp4"},
       "D:\\Media\\*_0.mp4",
       0},
      {"star matching suffixed files",
       "D:\\Media\\*.mp4",
       {".drives/D/Media/x.mp4", ".drives/D/Media/y_0.mp4"},
       "D:\\Media\\*_1.mp4",
       1},
      {"star matching nothing",
       "D:\\Media\\*.mp4",
       {".drives/D/Media/x.avi"},
       "D:\\Media\\*.mp4",
       0},
      {"question mark matching a file",
       "D:\\Media\\sho?.mp4",
       {".drives/D/Media/show.mp4"},
       "D:\\Media\\sho?_0.mp4",
       0},
      {"question mark matching nothing",
       "D:\\Media\\sho?.mp4",
       {".drives/D/Media/sh.mp4"},
       "D:\\Media\\sho?.mp4",
       0},
  };
  for (const NamingCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(root_ / ".drives");
    for (const char* own : {".mp4", "clip.mp4"}) std::filesystem::remove(root_ / own);
    std::filesystem::create_directories(root_ / ".drives/D/Media");
    for (const std::string& entry : c.taken) Take(entry);
    app_.NameSuffixCounter = 0;
    SetPathBox(c.box);
    ASSERT_EQ(PathBox(), c.box);
    EXPECT_EQ(ChooseOutputPath(app_), c.expected);
    EXPECT_EQ(app_.NameSuffixCounter, c.counter);
    EXPECT_EQ(PathBox(), c.box);
  }
}

// One counter serves every name of the run and never goes back.
TEST_F(OutputNamingTest, SuffixCounterIsSharedAcrossNames) {
  PutFile(".drives/D/Media/show.mp4");
  SetPathBox("D:\\Media\\show.mp4");
  EXPECT_EQ(ChooseOutputPath(app_), "D:\\Media\\show_0.mp4");
  PutFile(".drives/D/Media/show_0.mp4");
  EXPECT_EQ(ChooseOutputPath(app_), "D:\\Media\\show_1.mp4");
  EXPECT_EQ(app_.NameSuffixCounter, 1);

  PutFile(".drives/D/Media/demo.mp4");
  SetPathBox("D:\\Media\\demo.mp4");
  EXPECT_EQ(ChooseOutputPath(app_), "D:\\Media\\demo_1.mp4");
  EXPECT_EQ(app_.NameSuffixCounter, 1);

  // A free name leaves the counter alone; the date-time name continues it.
  SetPathBox("D:\\Media\\new.mp4");
  EXPECT_EQ(ChooseOutputPath(app_), "D:\\Media\\new.mp4");
  PutFile(std::filesystem::path(u8"2022年11月5日9时5分3秒.mp4"));
  PutFile(std::filesystem::path(u8"2022年11月5日9时5分3秒_1.mp4"));
  SetPathBox(kMarker);
  EXPECT_EQ(ChooseOutputPath(app_), std::string(kNow) + "_2.mp4");
  EXPECT_EQ(app_.NameSuffixCounter, 2);
}

struct ChangeCase {
  std::string typed;
  std::string shown;
  bool label_visible;
};

TEST_F(OutputNamingTest, PathBoxChangeKeepsAnExtensionAndTheLabel) {
  const std::vector<ChangeCase> cases = {
      {"D:\\Media\\show", "D:\\Media\\show.mp4", true},
      {"x", "x.mp4", true},
      {"", ".mp4", true},
      {"clip.mkv", "clip.mkv.mp4", true},
      {"show.MP4", "show.MP4", true},
      {"a.mp4b", "a.mp4b", true},
      {"x.mp4", "x.mp4", true},
      {"录像\\节目", "录像\\节目.mp4", true},
      {"默认时间文件名 ", "默认时间文件名 .mp4", true},
      {kMarker, kMarker, false},
  };
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.typed);
    // As the user types it, then as code writes it.
    ASSERT_TRUE(w_.UserReplaceText(编辑框_视频路径, c.typed));
    EXPECT_EQ(PathBox(), c.shown);
    EXPECT_EQ(w_.Visible(标签1默认), c.label_visible);
    SetPathBox(c.typed);
    EXPECT_EQ(PathBox(), c.shown);
    EXPECT_EQ(w_.Visible(标签1默认), c.label_visible);
  }
}

TEST_F(OutputNamingTest, DefaultLabelRestoresTheMarker) {
  EXPECT_FALSE(w_.Visible(标签1默认));
  ASSERT_TRUE(w_.UserReplaceText(编辑框_视频路径, "D:\\Media\\show"));
  ASSERT_TRUE(w_.Visible(标签1默认));
  ASSERT_TRUE(w_.UserClick(标签1默认));
  EXPECT_EQ(PathBox(), kMarker);
  EXPECT_FALSE(w_.Visible(标签1默认));
  EXPECT_EQ(ChooseOutputPath(app_), std::string(kNow) + ".mp4");
}

TEST_F(OutputNamingTest, SaveDialogConfirmed) {
  std::filesystem::create_directories(root_ / ".drives/D/Media");
  sim_.QueueDialogAnswer("D:\\Media\\clip.mp4");
  const int32_t counter = app_.LogCounter;
  ASSERT_TRUE(w_.UserClick(按钮_保存到));

  ASSERT_TRUE(sim_.LastDialog().has_value());
  const SaveDialogRequest& request = *sim_.LastDialog();
  EXPECT_EQ(request.filter, "MP4文件|*.mp4;*.mpg;*.mkv;*.avi;*.mov");
  EXPECT_EQ(request.default_extension, "mp4");
  EXPECT_EQ(request.initial_folder, "D:\\Capture");
  EXPECT_EQ(request.initial_name, std::string(kNow) + ".mp4");
  EXPECT_TRUE(request.overwrite_prompt);
  EXPECT_TRUE(request.path_must_exist);
  EXPECT_TRUE(request.hide_read_only);
  EXPECT_FALSE(request.keep_current_directory);

  EXPECT_EQ(PathBox(), "D:\\Media\\clip.mp4");
  EXPECT_TRUE(w_.Visible(标签1默认));
  EXPECT_EQ(app_.SaveFolder, "D:\\Media\\");
  EXPECT_EQ(app_.LogCounter, counter + 1);
  EXPECT_TRUE(Log().ends_with(SaveEntry("D:\\Media\\"))) << Log();

  // The dialog left the current directory where the user browsed to; the next one starts there.
  EXPECT_EQ(sim_.CurrentDirectory(), "D:\\Media");
  sim_.QueueDialogAnswer(std::nullopt);
  ASSERT_TRUE(w_.UserClick(按钮_保存到));
  EXPECT_EQ(sim_.LastDialog()->initial_folder, "D:\\Media");
  EXPECT_EQ(PathBox(), "D:\\Media\\clip.mp4");
  EXPECT_EQ(app_.LogCounter, counter + 2);
}

TEST_F(OutputNamingTest, SaveDialogChoiceWithoutMp4GetsItAppended) {
  sim_.QueueDialogAnswer("clip.mkv");
  ASSERT_TRUE(w_.UserClick(按钮_保存到));
  EXPECT_EQ(PathBox(), "D:\\Capture\\clip.mkv.mp4");
  EXPECT_TRUE(w_.Visible(标签1默认));
  EXPECT_EQ(app_.SaveFolder, "D:\\Capture\\");
  EXPECT_TRUE(Log().ends_with(SaveEntry("D:\\Capture\\"))) << Log();
}

TEST_F(OutputNamingTest, SaveDialogCancelledWithTheMarker) {
  sim_.QueueDialogAnswer(std::nullopt);
  const int32_t counter = app_.LogCounter;
  ASSERT_TRUE(w_.UserClick(按钮_保存到));
  EXPECT_EQ(PathBox(), kMarker);
  EXPECT_FALSE(w_.Visible(标签1默认));
  EXPECT_EQ(app_.SaveFolder, kMarker);
  EXPECT_EQ(app_.LogCounter, counter + 1);
  EXPECT_TRUE(Log().ends_with(SaveEntry(kMarker))) << Log();
  EXPECT_TRUE(Log().ends_with("\r\n文件保存位置：默认时间文件名"));
}

struct FolderCase {
  std::string box;
  std::string folder;
};

TEST_F(OutputNamingTest, SaveDialogCancelledLogsTheFolderOfTheBox) {
  const std::vector<FolderCase> cases = {
      {"D:\\Media\\show.mp4", "D:\\Media\\"},
      {"show.mp4", "show.mp4"},
      {"\\\\server\\share\\a.mp4", "\\\\server\\share\\"},
      // 0x81 0x5C is one double-byte character whose second byte is a backslash.
      {std::string("D:\\Media\\\x81\x5C") + "x.mp4", "D:\\Media\\"},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.box);
    SetPathBox(c.box);
    sim_.QueueDialogAnswer(std::nullopt);
    ASSERT_TRUE(w_.UserClick(按钮_保存到));
    EXPECT_EQ(PathBox(), c.box);
    EXPECT_EQ(app_.SaveFolder, c.folder);
    EXPECT_TRUE(Log().ends_with(SaveEntry(c.folder)));
  }
}

}  // namespace
}  // namespace morvane
