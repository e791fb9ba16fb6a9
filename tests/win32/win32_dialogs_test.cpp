// The Save As dialog, answered by a helper thread that plays the user.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"

namespace morvane {
namespace {

// Control ids of the system's file dialogs (<dlgs.h>): the file name box, which is a combo box
// in the Explorer-style dialog and an edit box in the old one, and the file type list.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;
constexpr int kFileTypeList = 0x470;

struct FoundDialog {
  HWND window = nullptr;
};

BOOL CALLBACK FindOurDialog(HWND window, LPARAM found) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  char kind[32] = {};
  ::GetClassNameA(window, kind, sizeof kind);
  if (pid == ::GetCurrentProcessId() && std::string(kind) == "#32770" &&
      ::IsWindowVisible(window)) {
    reinterpret_cast<FoundDialog*>(found)->window = window;
    return FALSE;
  }
  return TRUE;
}

// Waits on its own thread for this process's dialog to show, then does `answer` with it.
class DialogUser {
 public:
  explicit DialogUser(std::function<void(HWND)> answer)
      : thread_([this, answer = std::move(answer)] {
          FoundDialog found;
          if (!test::WaitFor([&] {
                ::EnumWindows(FindOurDialog, reinterpret_cast<LPARAM>(&found));
                return found.window != nullptr;
              })) {
            return;
          }
          answered_ = true;
          answer(found.window);
        }) {}
  ~DialogUser() { thread_.join(); }
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;

  bool answered() const { return answered_; }

 private:
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

// The request that the save button makes.
SaveDialogRequest Request(const std::string& folder) {
  SaveDialogRequest request;
  request.filter = "MP4文件|*.mp4;*.mpg;*.mkv;*.avi;*.mov";
  request.default_extension = "mp4";
  request.initial_folder = folder;
  request.initial_name = "2022年11月5日9时5分3秒.mp4";
  return request;
}

std::string ControlText(HWND dialog, int id) {
  char text[512] = {};
  ::GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

class Win32DialogsTest : public testing::Test {
 protected:
  void SetUp() override { before_ = files_.CurrentDirectory(); }
  void TearDown() override { files_.SetCurrentDirectory(before_); }

  test::ScratchFolder dir_;
  Win32Files files_;
  Win32Dialogs dialogs_;
  std::string before_;
};

TEST_F(Win32DialogsTest, ConfirmedNameGetsTheFolderAndTheDefaultExtension) {
  std::string shown_name;
  std::string shown_type;
  std::optional<std::string> chosen;
  {
    DialogUser user([&](HWND dialog) {
      const int name_box = ::GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
      shown_name = ControlText(dialog, name_box);
      const HWND types = ::GetDlgItem(dialog, kFileTypeList);
      char type[256] = {};
      ::SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
      shown_type = type;
      ::SetDlgItemTextA(dialog, name_box, "clip");
      ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    chosen = dialogs_.SaveFileDialog(Request(dir_.path()));
    ASSERT_TRUE(user.answered());
  }
  EXPECT_EQ(shown_name, "2022年11月5日9时5分3秒.mp4");
  EXPECT_EQ(shown_type, "MP4文件");
  EXPECT_EQ(chosen, dir_ / "clip.mp4");
}

TEST_F(Win32DialogsTest, CancelGivesNothing) {
  std::optional<std::string> chosen;
  {
    DialogUser user([](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    chosen = dialogs_.SaveFileDialog(Request(dir_.path()));
    ASSERT_TRUE(user.answered());
  }
  EXPECT_EQ(chosen, std::nullopt);
}

TEST_F(Win32DialogsTest, KeepingTheCurrentDirectoryIsAskedFor) {
  // The tool's own request leaves this to the system; with the option set, it must not move.
  ::CreateDirectoryA((dir_ / "elsewhere").c_str(), nullptr);
  SaveDialogRequest request = Request(dir_ / "elsewhere");
  request.keep_current_directory = true;
  std::optional<std::string> chosen;
  {
    DialogUser user([](HWND dialog) {
      const int name_box = ::GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
      ::SetDlgItemTextA(dialog, name_box, "kept.mp4");
      ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    chosen = dialogs_.SaveFileDialog(request);
    ASSERT_TRUE(user.answered());
  }
  EXPECT_EQ(chosen, dir_ / "elsewhere\\kept.mp4");
  EXPECT_EQ(files_.CurrentDirectory(), before_);
}

}  // namespace
}  // namespace morvane
