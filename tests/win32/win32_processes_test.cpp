// Starting a console program, finding its window and process, and ending it.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"

namespace morvane {
namespace {

constexpr std::string_view kChildExe = "morvane_test_child.exe";

class Win32ProcessesTest : public testing::Test {
 protected:
  void TearDown() override {
    // No child outlives its test, and its console window is gone before the next test looks for
    // the next child's.
    for (const ProcessEntry& p : processes_.ListProcesses()) {
      if (p.exe_name == kChildExe) processes_.TerminateProcess(p.pid);
    }
    EXPECT_TRUE(test::WaitFor([&] { return !ChildPid() && WindowTitled(kChildExe) == kNoWindow; }));
  }

  std::optional<uint32_t> ChildPid() {
    for (const ProcessEntry& p : processes_.ListProcesses()) {
      if (p.exe_name == kChildExe) return p.pid;
    }
    return std::nullopt;
  }

  bool Running(uint32_t pid) {
    for (const ProcessEntry& p : processes_.ListProcesses()) {
      if (p.pid == pid) return true;
    }
    return false;
  }

  // The last visible top-level window whose title contains `part`, as the core searches.
  WindowHandle WindowTitled(std::string_view part) {
    WindowHandle found = kNoWindow;
    for (WindowHandle w : windows_.ListVisibleWindows()) {
      if (windows_.GetWindowTitle(w).find(part) != std::string::npos) found = w;
    }
    return found;
  }

  // Starts the child that waits, and finds its process and its console window.
  void StartWaitingChild(ShowMode show) {
    ASSERT_TRUE(processes_.RunProgram("\"" + test::TestChildPath() + "\" wait", show));
    ASSERT_TRUE(test::WaitFor([&] { return (pid_ = ChildPid()).has_value(); }));
    ASSERT_TRUE(test::WaitFor([&] { return (console_ = WindowTitled(kChildExe)) != kNoWindow; }))
        << "no visible window has the child's name in its title";
  }

  HWND ConsoleHwnd() const { return reinterpret_cast<HWND>(static_cast<uintptr_t>(console_)); }

  Win32Processes processes_;
  Win32Windows windows_;
  std::optional<uint32_t> pid_;
  WindowHandle console_ = kNoWindow;
};

TEST_F(Win32ProcessesTest, ConsoleChildHasAWindowTitledWithItsPath) {
  StartWaitingChild(ShowMode::kNormal);
  const std::string title = windows_.GetWindowTitle(console_);
  EXPECT_NE(title.find(kChildExe), std::string::npos) << title;
  EXPECT_FALSE(::IsIconic(ConsoleHwnd()));
}

TEST_F(Win32ProcessesTest, ShowModeMinimisesTheConsoleWindow) {
  StartWaitingChild(ShowMode::kMinimize);
  EXPECT_TRUE(test::WaitFor([&] { return ::IsIconic(ConsoleHwnd()) != FALSE; }));
}

TEST_F(Win32ProcessesTest, TerminateEndsTheProcessAndItsWindowGoes) {
  StartWaitingChild(ShowMode::kMinimize);
  EXPECT_TRUE(processes_.TerminateProcess(*pid_));
  EXPECT_TRUE(test::WaitFor([&] { return !Running(*pid_); }));
  EXPECT_TRUE(test::WaitFor([&] { return WindowTitled(kChildExe) == kNoWindow; }));
}

TEST_F(Win32ProcessesTest, CloseMessageToTheConsoleWindowEndsTheChild) {
  // How Stop and shut-down end the recorder: WM_CLOSE to its console window.
  StartWaitingChild(ShowMode::kMinimize);
  windows_.PostCloseMessage(console_);
  EXPECT_TRUE(test::WaitFor([&] { return !Running(*pid_); }));
}

TEST_F(Win32ProcessesTest, ListedNamesAreExecutableFileNames) {
  StartWaitingChild(ShowMode::kMinimize);
  int found = 0;
  for (const ProcessEntry& p : processes_.ListProcesses()) {
    if (p.pid == *pid_) {
      EXPECT_EQ(p.exe_name, kChildExe);  // the file name, without its folder
      ++found;
    }
  }
  EXPECT_EQ(found, 1);
}

TEST_F(Win32ProcessesTest, MissingProgramIsNotStarted) {
  EXPECT_FALSE(
      processes_.RunProgram("C:\\morvane-no-such-folder\\ffmpeg.exe -i x", ShowMode::kNormal));
}

TEST_F(Win32ProcessesTest, TerminatingNoProcessFails) {
  // Process ids are multiples of 4, and 0 is the idle process, which cannot be opened.
  EXPECT_FALSE(processes_.TerminateProcess(0));
  EXPECT_FALSE(processes_.TerminateProcess(3));
}

}  // namespace
}  // namespace morvane
