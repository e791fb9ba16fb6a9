#include "platform/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace morvane {
namespace {

// Only the current directory matters to the dialogs; every folder exists.
class FolderOnlyFiles final : public Files {
 public:
  bool Exists(std::string_view) override { return true; }
  std::optional<std::string> ReadFile(std::string_view) override { return std::nullopt; }
  bool WriteFile(std::string_view, std::string_view) override { return false; }
  std::string CurrentDirectory() override { return current; }
  bool SetCurrentDirectory(std::string_view path) override {
    moves.emplace_back(path);
    current = std::string(path);
    return true;
  }

  std::string current = "\\home\\u\\run";
  std::vector<std::string> moves;
};

class ScriptedDialogsTest : public testing::Test {
 protected:
  SaveDialogRequest Request(bool keep_current_directory = false) {
    SaveDialogRequest request;
    request.default_extension = "mp4";
    request.initial_name = "默认时间文件名";
    request.keep_current_directory = keep_current_directory;
    return request;
  }

  FolderOnlyFiles files_;
  ScriptedDialogs dialogs_{files_};
};

TEST_F(ScriptedDialogsTest, EmptyQueueCancelsAndKeepsTheRequest) {
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), std::nullopt);
  ASSERT_TRUE(dialogs_.LastRequest().has_value());
  EXPECT_EQ(dialogs_.LastRequest()->initial_name, "默认时间文件名");
  EXPECT_TRUE(files_.moves.empty());
}

TEST_F(ScriptedDialogsTest, AnswersInOrderAndMovesTheCurrentDirectory) {
  dialogs_.QueueAnswer("\\media\\show");
  dialogs_.QueueAnswer(std::nullopt);
  dialogs_.QueueAnswer("clip.avi");
  dialogs_.QueueAnswer("sub/take");

  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "\\media\\show.mp4");
  EXPECT_EQ(files_.current, "\\media");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), std::nullopt);  // cancelled: nothing moves
  EXPECT_EQ(files_.moves.size(), 1u);
  // A relative name lies in the current directory the last answer left; its own extension stays.
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "\\media\\clip.avi");
  // "/" is read as a backslash.
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "\\media\\sub\\take.mp4");
  EXPECT_EQ(files_.current, "\\media\\sub");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), std::nullopt);  // the queue is empty
}

TEST_F(ScriptedDialogsTest, KeepCurrentDirectoryLeavesItAlone) {
  dialogs_.QueueAnswer("\\media\\show.mp4");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request(/*keep_current_directory=*/true)), "\\media\\show.mp4");
  EXPECT_TRUE(files_.moves.empty());
  EXPECT_EQ(files_.current, "\\home\\u\\run");
}

TEST_F(ScriptedDialogsTest, ExtensionLooksOnlyAtTheFileName) {
  SaveDialogRequest no_default = Request();
  no_default.default_extension = "";
  dialogs_.QueueAnswer("\\v.1\\take");
  dialogs_.QueueAnswer("\\v.1\\take");
  // "淺" ends in the byte of a backslash; the name after it still counts as the file name.
  dialogs_.QueueAnswer("\\a.b\\淺");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "\\v.1\\take.mp4");
  EXPECT_EQ(dialogs_.SaveFileDialog(no_default), "\\v.1\\take");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "\\a.b\\淺.mp4");
  EXPECT_EQ(files_.current, "\\a.b");
}

TEST_F(ScriptedDialogsTest, RootFoldersKeepTheirBackslash) {
  dialogs_.QueueAnswer("\\top.mp4");
  dialogs_.QueueAnswer("E:\\top.mp4");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "\\top.mp4");
  EXPECT_EQ(files_.current, "\\");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "E:\\top.mp4");
  EXPECT_EQ(files_.current, "E:\\");
}

TEST_F(ScriptedDialogsTest, RelativeNameInARootFolderGetsOneBackslash) {
  files_.current = "\\";
  dialogs_.QueueAnswer("clip.mp4");
  EXPECT_EQ(dialogs_.SaveFileDialog(Request()), "\\clip.mp4");
}

TEST_F(ScriptedDialogsTest, PlatformGivesTheFullPath) {
  ScriptedDialogs dialogs(files_, [](std::string_view name) { return "X:\\" + std::string(name); });
  dialogs.QueueAnswer("show");
  EXPECT_EQ(dialogs.SaveFileDialog(Request()), "X:\\show.mp4");
  EXPECT_EQ(files_.current, "X:\\");
}

}  // namespace
}  // namespace morvane
