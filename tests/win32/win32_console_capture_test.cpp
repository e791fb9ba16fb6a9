// Console capture through the real command interpreter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/win32_platform.h"
#include "test_support.h"

namespace morvane {
namespace {

using std::chrono::milliseconds;

std::string Child(const std::string& args) { return "\"" + test::TestChildPath() + "\" " + args; }

bool ChildRunning() {
  Win32Processes processes;
  const std::vector<ProcessEntry> all = processes.ListProcesses();
  return std::any_of(all.begin(), all.end(),
                     [](const ProcessEntry& p) { return p.exe_name == "morvane_test_child.exe"; });
}

TEST(Win32ConsoleCapture, InterpreterCommandOutput) {
  EXPECT_EQ(CaptureConsoleOutputWin32("echo hello"), "hello\r\n");
}

TEST(Win32ConsoleCapture, CommandIsReadAsGbk) {
  // The interpreter echoes in the console code page, 936 here as on a Chinese Windows.
  EXPECT_EQ(CaptureConsoleOutputWin32("echo 视频设备"), "视频设备\r\n");
}

TEST(Win32ConsoleCapture, ProgramOutputComesBackByteForByte) {
  // Bytes that are no text in any code page are not converted.
  EXPECT_EQ(CaptureConsoleOutputWin32(Child("print abc")), "abc");
}

TEST(Win32ConsoleCapture, StandardErrorGoesIntoTheSamePipe) {
  EXPECT_EQ(CaptureConsoleOutputWin32(Child("stderr oops")), "oops");
}

TEST(Win32ConsoleCapture, OutputStopsAtTheFirstZeroByte) {
  EXPECT_EQ(CaptureConsoleOutputWin32(Child("zero")), "before");
}

TEST(Win32ConsoleCapture, NoOutputGivesEmptyText) {
  EXPECT_EQ(CaptureConsoleOutputWin32("rem nothing"), "");
}

TEST(Win32ConsoleCapture, OutputLargerThanThePipeComesWhole) {
  const std::string output = CaptureConsoleOutputWin32(Child("bulk 1000000"));
  ASSERT_EQ(output.size(), 1000000u);
  EXPECT_EQ(output.substr(0, 12), "012345678901");
  EXPECT_EQ(output.substr(999990), "0123456789");
}

TEST(Win32ConsoleCapture, CommandLongerThanItsSlotReachesTheInterpreterWhole) {
  // 300 units: longer than the 260 units reserved behind the interpreter's prefix.
  const std::string word(295, 'x');
  EXPECT_EQ(CaptureConsoleOutputWin32("echo " + word), word + "\r\n");
}

TEST(Win32ConsoleCapture, MissingCommandGivesTheInterpretersMessage) {
  EXPECT_NE(CaptureConsoleOutputWin32("morvane_no_such_program_here"), "");
}

TEST(Win32ConsoleCapture, ChildThatNeverEndsIsEndedAtTheBound) {
  const std::string output = CaptureConsoleOutputWin32(Child("wait"), milliseconds(1500));
  EXPECT_EQ(output, "started");
  // The interpreter and the program it started are both gone.
  EXPECT_TRUE(test::WaitFor([] { return !ChildRunning(); }));
}

TEST(Win32ConsoleCapture, ServiceUsesTheCapture) {
  Win32Processes processes(milliseconds(5000));
  EXPECT_EQ(processes.CaptureConsoleOutput(Child("print a b")), "a b");
}

}  // namespace
}  // namespace morvane
