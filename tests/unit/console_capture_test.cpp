#include "platform/posix/console_capture.h"

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace morvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A limit for calls that must not hang; far above what any of them needs.
constexpr auto kSanityLimit = 20s;

std::string Capture(const std::string& command, std::chrono::milliseconds bound = 15s) {
  return CaptureConsoleOutputPosix(command, bound);
}

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

// Whether a process of that id is gone (or only waits to be reaped by its parent).
bool ProcessGone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return true;
  std::string line;
  std::getline(stat, line);
  const std::size_t state = line.rfind(')');
  return state == std::string::npos || line.compare(state, 3, ") Z") == 0;
}

// Waits, up to a generous limit, for a killed process to be gone.
bool EventuallyGone(pid_t pid) {
  const auto until = Clock::now() + kSanityLimit;
  while (Clock::now() < until) {
    if (ProcessGone(pid)) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// The first line of `text` as a process id.
pid_t FirstLinePid(const std::string& text) { return static_cast<pid_t>(std::stol(text)); }

// Whether the shell of that id was reaped by the capture: it is no child of ours any more.
bool Reaped(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == -1 && errno == ECHILD; }

TEST(ConsoleCaptureTest, ReturnsPlainOutput) {
  EXPECT_EQ(Capture("echo hello; echo world"), "hello\nworld\n");
}

TEST(ConsoleCaptureTest, NothingWrittenGivesEmptyText) { EXPECT_EQ(Capture("true"), ""); }

TEST(ConsoleCaptureTest, StandardErrorArrivesInTheSamePipeInOrder) {
  EXPECT_EQ(Capture("echo one; echo two 1>&2; echo three"), "one\ntwo\nthree\n");
  EXPECT_EQ(Capture("echo only-error 1>&2"), "only-error\n");
}

TEST(ConsoleCaptureTest, ReadsOutputLargerThanThePipe) {
  const std::string output = Capture("head -c 1500000 /dev/zero | tr '\\0' a; echo end");
  ASSERT_EQ(output.size(), 1500004u);
  EXPECT_EQ(output.find_first_not_of('a'), 1500000u);
  EXPECT_EQ(output.substr(1500000), "end\n");
}

TEST(ConsoleCaptureTest, BytesComeBackUnconverted) {
  EXPECT_EQ(Capture("printf '\\377\\376x\\303'"), "\xFF\xFEx\xC3");
}

TEST(ConsoleCaptureTest, ZeroByteEndsTheText) {
  EXPECT_EQ(Capture("printf 'ab\\0cd'"), "ab");
  EXPECT_EQ(Capture("printf '\\0cd'"), "");
  // A zero byte far into the output, with much more behind it that the child must still be able
  // to write.
  const std::string output = Capture(
      "head -c 100000 /dev/zero | tr '\\0' b; printf '\\0'; head -c 300000 /dev/zero; "
      "echo done 1>&2");
  EXPECT_EQ(output, std::string(100000, 'b'));
}

TEST(ConsoleCaptureTest, StandardInputIsEmpty) {
  EXPECT_EQ(Capture("cat; read line; echo \"[$line]\"", 10s), "[]\n");
}

TEST(ConsoleCaptureTest, UnknownCommandReturnsTheShellsError) {
  const std::string output = Capture("no_such_command_morvane_xyz");
  EXPECT_NE(output.find("no_such_command_morvane_xyz"), std::string::npos) << output;
  EXPECT_NE(output.find("not found"), std::string::npos) << output;
}

TEST(ConsoleCaptureTest, TakesUtf8Commands) {
  const std::u8string command = u8"echo 摄像头";
  EXPECT_EQ(Capture(std::string(command.begin(), command.end())),
            "\xE6\x91\x84\xE5\x83\x8F\xE5\xA4\xB4\n");
}

TEST(ConsoleCaptureTest, ChildThatNeverEndsIsKilledAtTheBound) {
  const auto started = Clock::now();
  // The shell reports its own id and that of the sleep it waits for.
  const std::string output = Capture("echo $$; sleep 100 & echo $!; echo hi; wait", 300ms);
  EXPECT_LT(Clock::now() - started, kSanityLimit);

  ASSERT_GE(std::count(output.begin(), output.end(), '\n'), 3) << output;
  EXPECT_TRUE(output.ends_with("\nhi\n")) << output;
  const pid_t shell = FirstLinePid(output);
  const pid_t sleeper = FirstLinePid(output.substr(output.find('\n') + 1));
  EXPECT_TRUE(Reaped(shell));
  // The whole process group went, the shell's children with it.
  EXPECT_TRUE(EventuallyGone(sleeper));
}

TEST(ConsoleCaptureTest, ReturnsWhatWasWrittenBeforeTheBound) {
  const auto started = Clock::now();
  EXPECT_EQ(Capture("echo hi; sleep 100", 300ms), "hi\n");
  EXPECT_LT(Clock::now() - started, kSanityLimit);
}

TEST(ConsoleCaptureTest, BackgroundProcessHoldingThePipeDoesNotHoldTheCapture) {
  // The shell ends at once; the sleep it leaves behind keeps the pipe open for 100 seconds. The
  // bound lies well beyond the sanity limit, so only the end of the shell can end this capture
  // in time.
  const auto started = Clock::now();
  const std::string output = Capture("sleep 100 & echo $!; echo hi", 60s);
  EXPECT_LT(Clock::now() - started, kSanityLimit);
  ASSERT_TRUE(output.ends_with("\nhi\n")) << output;
  const pid_t sleeper = FirstLinePid(output);
  ASSERT_GT(sleeper, 0);
  // The capture leaves processes that outlive the shell alone; this test started it, so it ends
  // it.
  EXPECT_FALSE(ProcessGone(sleeper));
  ::kill(sleeper, SIGKILL);
}

TEST(ConsoleCaptureTest, ClosesEveryDescriptorAndReapsTheShell) {
  const int before = OpenDescriptors();
  const std::string ended = Capture("echo $$");
  const std::string killed = Capture("echo $$; sleep 100", 200ms);
  const std::string failed = Capture("echo $$; no_such_command_morvane_xyz");
  EXPECT_EQ(OpenDescriptors(), before);
  for (const std::string* output : {&ended, &killed, &failed}) {
    ASSERT_FALSE(output->empty());
    EXPECT_TRUE(Reaped(FirstLinePid(*output))) << *output;
  }
}

}  // namespace
}  // namespace morvane
