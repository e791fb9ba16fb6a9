// The real POSIX platform with real processes: a small helper program, started through a symlink
// named "ffmpeg.exe", reports what it received (see tests/helpers/fake_child.cpp).
#include "platform/posix/posix_platform.h"

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/host_files.h"
#include "platform/posix/paths.h"

#ifndef MORVANE_FAKE_CHILD
#error "MORVANE_FAKE_CHILD must name the helper program"
#endif

namespace morvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A limit for waiting on other processes; far above what any of them needs.
constexpr auto kSanityLimit = 20s;

std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

template <typename Condition>
bool Eventually(Condition condition) {
  const auto until = std::chrono::steady_clock::now() + kSanityLimit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

class PosixPlatformTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_directory_ = fs::current_path();
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    // A Chinese folder name, so program paths need the GBK-to-UTF-8 conversion.
    root_ =
        fs::temp_directory_path() / "morvane-tests" /
        (fs::path(u8"posix-录制.") += std::string(info->name()) + "." + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    fs::create_symlink(MORVANE_FAKE_CHILD, root_ / "ffmpeg.exe");
    ::unsetenv("MORVANE_FAKE_CHILD_LINGER");
  }

  void TearDown() override {
    // Nothing of a test may outlive it.
    for (const ChildProcess& child : posix_->children().Running()) {
      ::kill(child.pid, SIGKILL);
      ::waitpid(child.pid, nullptr, 0);
    }
    fs::current_path(saved_directory_);
    ::unsetenv("MORVANE_FAKE_CHILD_LOG");
    ::unsetenv("MORVANE_FAKE_CHILD_LINGER");
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  Platform& platform() { return posix_->platform(); }

  std::string Gbk(const fs::path& host) {
    std::optional<std::string> gbk = FromHostPath(posix_->encoding(), host.string());
    EXPECT_TRUE(gbk.has_value()) << host;
    return gbk.value_or("");
  }

  // The recorder symlink in core form, quoted for a command line.
  std::string Program() { return "\"" + Gbk(root_ / "ffmpeg.exe") + "\""; }

  // Starts `command_line` with the helper's report going to `report` in the test folder.
  bool Start(const std::string& command_line, ShowMode show, const std::string& report) {
    ::setenv("MORVANE_FAKE_CHILD_LOG", (root_ / report).c_str(), 1);
    return platform().processes.RunProgram(command_line, show);
  }

  std::string Report(const std::string& report) {
    return ReadHostFile(root_ / report).value_or(std::string());
  }
  bool Reported(const std::string& report, const std::string& line) {
    const std::vector<std::string> lines = Lines(Report(report));
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool WaitForReport(const std::string& report, const std::string& line) {
    return Eventually([&] { return Reported(report, line); });
  }
  std::vector<std::string> ReportedArgs(const std::string& report) {
    std::vector<std::string> args;
    for (const std::string& line : Lines(Report(report))) {
      if (line.starts_with("arg=")) args.push_back(line.substr(4));
    }
    return args;
  }

  bool Listed(WindowHandle window) {
    const std::vector<WindowHandle> list = platform().windows.ListVisibleWindows();
    return std::find(list.begin(), list.end(), window) != list.end();
  }
  bool ProcessListed(pid_t pid) {
    for (const ProcessEntry& entry : platform().processes.ListProcesses()) {
      if (entry.pid == static_cast<uint32_t>(pid)) return true;
    }
    return false;
  }

  const ChildProcess& Newest() { return posix_->children().Running().back(); }

  fs::path saved_directory_;
  fs::path root_;
  std::unique_ptr<PosixPlatform> posix_ = std::make_unique<PosixPlatform>();
};

// ---- Starting programs ----

TEST_F(PosixPlatformTest, ArgumentsFollowTheWindowsRulesAndArriveInUtf8AsHostPaths) {
  // Backslashes that survive the Windows rules are path separators: every path the core writes,
  // such as an absolute output file, arrives in host form.
  const std::string command = Program() +
                              R"( plain "two words" back\\\"quote 中文 "trail\\" a\b )" +
                              R"(\tmp\out\中文.mp4 "" end)";
  ASSERT_TRUE(Start(command, ShowMode::kMinimize, "child.log"));
  ASSERT_TRUE(WaitForReport("child.log", "ready")) << Report("child.log");

  const std::vector<std::string> expected = {(root_ / "ffmpeg.exe").string(),
                                             "plain",
                                             "two words",
                                             "back/\"quote",
                                             Utf8(u8"中文"),
                                             "trail/",
                                             "a/b",
                                             Utf8(u8"/tmp/out/中文.mp4"),
                                             "",
                                             "end"};
  EXPECT_EQ(ReportedArgs("child.log"), expected);
  // No prompt can wait on input, Ctrl+C at our terminal does not reach it, and it inherits no
  // descriptor of ours.
  EXPECT_TRUE(Reported("child.log", "stdin=eof"));
  EXPECT_TRUE(Reported("child.log", "own-group=1"));
  EXPECT_TRUE(Reported("child.log", "extra-fds=0"));

  ASSERT_EQ(posix_->children().Started().size(), 1u);
  EXPECT_EQ(posix_->children().Started()[0].command_line, command);
  EXPECT_EQ(posix_->children().Started()[0].show, ShowMode::kMinimize);
}

TEST_F(PosixPlatformTest, RelativeProgramRunsInOurCurrentDirectory) {
  ASSERT_TRUE(platform().files.SetCurrentDirectory(Gbk(root_)));
  ASSERT_TRUE(Start("ffmpeg.exe -version", ShowMode::kNormal, "child.log"));
  ASSERT_TRUE(WaitForReport("child.log", "ready")) << Report("child.log");
  EXPECT_EQ(ReportedArgs("child.log"), (std::vector<std::string>{"ffmpeg.exe", "-version"}));
  EXPECT_TRUE(Reported("child.log", "cwd=" + root_.string())) << Report("child.log");
  EXPECT_EQ(platform().windows.GetWindowTitle(Newest().console), "ffmpeg.exe");
}

struct RefusedStart {
  const char* what;
  const char* command_tail;  // after the test folder's core path and a backslash
};

void PrintTo(const RefusedStart& c, std::ostream* os) { *os << c.what; }

class RefusedStartTest : public PosixPlatformTest,
                         public testing::WithParamInterface<RefusedStart> {};

TEST_P(RefusedStartTest, GivesFalseAndStartsNothing) {
  std::ofstream(root_ / "plain.txt") << "not a program";
  fs::create_directories(root_ / "folder.exe");
  const std::string command = "\"" + Gbk(root_) + "\\" + GetParam().command_tail;
  EXPECT_FALSE(Start(command, ShowMode::kNormal, "child.log"));
  EXPECT_TRUE(posix_->children().Started().empty());
  EXPECT_TRUE(posix_->children().Running().empty());
  EXPECT_TRUE(platform().windows.ListVisibleWindows().empty());
  EXPECT_FALSE(fs::exists(root_ / "child.log"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedStartTest,
    testing::Values(RefusedStart{"missing program", "ffprobe.exe\" -i x"},
                    RefusedStart{"folder", "folder.exe\""},
                    RefusedStart{"file without execute permission", "plain.txt\""},
                    RefusedStart{"argument that is no GBK text", "ffmpeg.exe\" -i \x81"},
                    RefusedStart{"program path that is no GBK text", "\x81\x20.exe\""}));

TEST_F(PosixPlatformTest, EmptyCommandLineStartsNothing) {
  EXPECT_FALSE(platform().processes.RunProgram("", ShowMode::kNormal));
  EXPECT_FALSE(platform().processes.RunProgram("   ", ShowMode::kNormal));
  EXPECT_TRUE(posix_->children().Started().empty());
}

TEST_F(PosixPlatformTest, ChildOutputFolderGetsALogPerProgram) {
  PosixOptions options;
  options.child_output = root_ / "output";
  fs::create_directories(options.child_output);
  posix_ = std::make_unique<PosixPlatform>(options);
  ASSERT_TRUE(Start(Program(), ShowMode::kNormal, "child.log"));
  const ChildProcess child = Newest();
  ASSERT_TRUE(WaitForReport("child.log", "ready"));
  platform().windows.PostCloseMessage(child.console);
  ASSERT_TRUE(Eventually([&] { return !Listed(child.console); }));
  EXPECT_EQ(::waitpid(child.pid, nullptr, WNOHANG), -1);  // reaped already

  EXPECT_EQ(ReadHostFile(root_ / "output" / "001-ffmpeg.exe.log"),
            "fake child: standard output\nfake child: standard error\n");
}

// ---- Processes ----

TEST_F(PosixPlatformTest, ProcessListNamesTheChildByTheNameItWasStartedUnder) {
  ASSERT_TRUE(Start(Program(), ShowMode::kNormal, "child.log"));
  ASSERT_TRUE(WaitForReport("child.log", "ready"));
  const uint32_t pid = static_cast<uint32_t>(Newest().pid);
  const std::vector<ProcessEntry> list = platform().processes.ListProcesses();
  auto it =
      std::find_if(list.begin(), list.end(), [&](const ProcessEntry& e) { return e.pid == pid; });
  ASSERT_NE(it, list.end());
  EXPECT_EQ(it->exe_name, "ffmpeg.exe");
  // Our own process is there too.
  EXPECT_TRUE(std::any_of(list.begin(), list.end(), [](const ProcessEntry& e) {
    return e.pid == static_cast<uint32_t>(::getpid());
  }));
}

TEST_F(PosixPlatformTest, TerminateProcessEndsAHiddenChild) {
  ASSERT_TRUE(Start(Program(), ShowMode::kHide, "child.log"));
  ASSERT_TRUE(WaitForReport("child.log", "ready"));
  const pid_t pid = Newest().pid;
  // Started hidden: running, but no visible console window.
  EXPECT_TRUE(platform().windows.ListVisibleWindows().empty());
  EXPECT_TRUE(ProcessListed(pid));

  EXPECT_TRUE(platform().processes.TerminateProcess(static_cast<uint32_t>(pid)));
  // Listing the processes reaps it.
  EXPECT_TRUE(
      Eventually([&] { return !ProcessListed(pid) && posix_->children().Running().empty(); }));
  EXPECT_FALSE(Reported("child.log", "interrupted"));
}

TEST_F(PosixPlatformTest, TerminateProcessRefusesIdsThatNameGroups) {
  EXPECT_FALSE(platform().processes.TerminateProcess(0));
  EXPECT_FALSE(platform().processes.TerminateProcess(0xFFFFFFFFu));
}

TEST_F(PosixPlatformTest, CaptureConvertsTheCommandToUtf8) {
  EXPECT_EQ(platform().processes.CaptureConsoleOutput("echo 中文"), Utf8(u8"中文\n"));
}

// ---- Console windows ----

TEST_F(PosixPlatformTest, ConsoleWindowLivesExactlyAsLongAsItsProcess) {
  ASSERT_TRUE(Start(Program() + " -i first", ShowMode::kMinimize, "first.log"));
  const ChildProcess first = Newest();
  ASSERT_TRUE(Start(Program() + " -i second", ShowMode::kNormal, "second.log"));
  const ChildProcess second = Newest();
  ASSERT_TRUE(WaitForReport("first.log", "ready"));
  ASSERT_TRUE(WaitForReport("second.log", "ready"));

  // Titled with the program path as given; the newest on top; handles beyond 32-bit window ids.
  EXPECT_EQ(platform().windows.ListVisibleWindows(),
            (std::vector<WindowHandle>{second.console, first.console}));
  EXPECT_EQ(platform().windows.GetWindowTitle(first.console), Gbk(root_ / "ffmpeg.exe"));
  EXPECT_GT(first.console, WindowHandle{0xFFFFFFFF});
  EXPECT_NE(first.console, second.console);

  // Closing one ends that program alone; its window goes once it has ended.
  platform().windows.PostCloseMessage(first.console);
  ASSERT_TRUE(WaitForReport("first.log", "interrupted"));
  ASSERT_TRUE(Eventually([&] { return !Listed(first.console); }));
  EXPECT_EQ(platform().windows.ListVisibleWindows(), std::vector<WindowHandle>{second.console});
  EXPECT_EQ(platform().windows.GetWindowTitle(first.console), "");
  EXPECT_FALSE(ProcessListed(first.pid));
  EXPECT_TRUE(ProcessListed(second.pid));
  EXPECT_FALSE(Reported("second.log", "interrupted"));
}

TEST_F(PosixPlatformTest, PostCloseMessageSendsExactlyOneSigint) {
  ::setenv("MORVANE_FAKE_CHILD_LINGER", "1", 1);
  ASSERT_TRUE(Start(Program(), ShowMode::kMinimize, "child.log"));
  const ChildProcess child = Newest();
  ASSERT_TRUE(WaitForReport("child.log", "ready"));

  platform().windows.PostCloseMessage(child.console);
  ASSERT_TRUE(WaitForReport("child.log", "interrupted"));
  // Stop and then shut-down may both close the window; the program still gets one signal.
  platform().windows.PostCloseMessage(child.console);
  platform().windows.PostCloseMessage(child.console);
  EXPECT_TRUE(Listed(child.console));  // it lingers, and so does its window
  // A SIGINT sent above would be pending now and would be handled before this SIGTERM.
  ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
  ASSERT_TRUE(Eventually([&] { return !Listed(child.console); }));
  EXPECT_TRUE(Reported("child.log", "interrupts=1")) << Report("child.log");
}

TEST_F(PosixPlatformTest, MinimisingOrMovingAConsoleWindowDoesNothing) {
  ::setenv("MORVANE_FAKE_CHILD_LINGER", "1", 1);
  ASSERT_TRUE(Start(Program(), ShowMode::kNormal, "child.log"));
  const ChildProcess child = Newest();
  ASSERT_TRUE(WaitForReport("child.log", "ready"));

  platform().windows.CloseWindow(child.console);
  platform().windows.MoveWindow(child.console, {10, 10, 100, 100}, true);
  EXPECT_TRUE(Listed(child.console));
  ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
  ASSERT_TRUE(Eventually([&] { return !Listed(child.console); }));
  EXPECT_TRUE(Reported("child.log", "interrupts=0")) << Report("child.log");
}

TEST_F(PosixPlatformTest, UnknownHandlesHaveNoTitleAndIgnoreRequests) {
  for (WindowHandle window :
       {kNoWindow, WindowHandle{0x1234}, ChildRegistry::kFirstConsoleWindow}) {
    EXPECT_EQ(platform().windows.GetWindowTitle(window), "");
    platform().windows.PostCloseMessage(window);
    platform().windows.CloseWindow(window);
    platform().windows.MoveWindow(window, {0, 0, 1, 1}, false);
  }
  EXPECT_EQ(platform().windows.ScreenArea(), (Rect{0, 0, 1920, 1080}));
}

// Windows of a native window system come after the console windows.
class TwoForeignWindows final : public ForeignWindows {
 public:
  std::vector<WindowHandle> ListVisibleWindows() override { return {0x400001, 0x400002}; }
  std::string GetWindowTitle(WindowHandle window) override {
    return window == 0x400001 ? "预览" : "";
  }
  void PostCloseMessage(WindowHandle window) override { closed.push_back(window); }
  void CloseWindow(WindowHandle window) override { minimised.push_back(window); }
  void MoveWindow(WindowHandle window, const Rect& place, bool) override {
    moved.emplace_back(window, place);
  }
  std::optional<Rect> ScreenArea() override { return Rect{0, 0, 1280, 720}; }

  std::vector<WindowHandle> closed, minimised;
  std::vector<std::pair<WindowHandle, Rect>> moved;
};

TEST_F(PosixPlatformTest, ForeignWindowsFollowTheConsoleWindows) {
  TwoForeignWindows foreign;
  posix_->windows().SetForeignWindows(&foreign);
  ::setenv("MORVANE_FAKE_CHILD_LINGER", "1", 1);
  ASSERT_TRUE(Start(Program(), ShowMode::kNormal, "child.log"));
  const ChildProcess child = Newest();

  EXPECT_EQ(platform().windows.ListVisibleWindows(),
            (std::vector<WindowHandle>{child.console, 0x400001, 0x400002}));
  EXPECT_EQ(platform().windows.GetWindowTitle(0x400001), "预览");
  platform().windows.PostCloseMessage(0x400002);
  platform().windows.CloseWindow(0x400001);
  platform().windows.MoveWindow(0x400001, {1, 2, 3, 4}, true);
  platform().windows.CloseWindow(child.console);  // a console window never reaches the other
  EXPECT_EQ(foreign.closed, std::vector<WindowHandle>{0x400002});
  EXPECT_EQ(foreign.minimised, std::vector<WindowHandle>{0x400001});
  ASSERT_EQ(foreign.moved.size(), 1u);
  EXPECT_EQ(foreign.moved[0].second, (Rect{1, 2, 3, 4}));
  EXPECT_EQ(platform().windows.ScreenArea(), (Rect{0, 0, 1280, 720}));
  posix_->windows().SetForeignWindows(nullptr);
}

// ---- The event pump ----

// Ticks at set monotonic times; records when each was raised.
class ListedTicks final : public TimerSource {
 public:
  explicit ListedTicks(std::vector<int64_t> due) : due_(std::move(due)) {}
  int64_t NextTimerDue() const override { return next_ < due_.size() ? due_[next_] : -1; }
  void FireDueTimers(int64_t now_ms) override {
    while (next_ < due_.size() && due_[next_] <= now_ms) fired.push_back({due_[next_++], now_ms});
  }

  std::vector<std::pair<int64_t, int64_t>> fired;  // (due, raised at)

 private:
  std::vector<int64_t> due_;
  std::size_t next_ = 0;
};

TEST_F(PosixPlatformTest, DelayWithEventsRaisesTicksInOrderAtTheirTime) {
  Clock& clock = platform().clock;
  const int64_t start = clock.MonotonicMs();
  ListedTicks ticks({start + 50, start + 100, start + 150});
  platform().events.SetTimerSource(&ticks);
  platform().events.DelayWithEvents(1500);
  platform().events.SetTimerSource(nullptr);

  EXPECT_GE(clock.MonotonicMs() - start, 1500);
  ASSERT_EQ(ticks.fired.size(), 3u);
  for (std::size_t i = 0; i < ticks.fired.size(); ++i) {
    const auto [due, raised] = ticks.fired[i];
    EXPECT_EQ(due, start + 50 * static_cast<int64_t>(i + 1));
    EXPECT_GE(raised, due);
    // Raised while the delay ran, not all at its end (a generous bound).
    EXPECT_LT(raised - due, 1000) << "tick " << i;
  }
}

TEST_F(PosixPlatformTest, ProcessEventsRaisesDueTicksAndSleepDoesNot) {
  const int64_t now = platform().clock.MonotonicMs();
  ListedTicks ticks({now - 1, now + 3'600'000});
  platform().events.SetTimerSource(&ticks);
  platform().events.Sleep(20);
  EXPECT_TRUE(ticks.fired.empty());
  platform().events.ProcessEvents();
  EXPECT_EQ(ticks.fired.size(), 1u);
  platform().events.ProcessEvents();
  EXPECT_EQ(ticks.fired.size(), 1u);
  platform().events.SetTimerSource(nullptr);
  platform().events.ProcessEvents();  // no timers: nothing to do
}

TEST_F(PosixPlatformTest, EventLoopNoticesAChildsEnd) {
  ASSERT_TRUE(Start(Program(), ShowMode::kMinimize, "child.log"));
  ASSERT_TRUE(WaitForReport("child.log", "ready"));
  platform().windows.PostCloseMessage(Newest().console);
  // Only the event loop looks here; the registry drops the child once the loop has reaped it.
  EXPECT_TRUE(Eventually([&] {
    platform().events.DelayWithEvents(20);
    return posix_->children().Running().empty();
  }));
  EXPECT_TRUE(Reported("child.log", "interrupted"));
}

// ---- Files ----

TEST_F(PosixPlatformTest, FilesUseTranslatedPaths) {
  Files& files = platform().files;
  const fs::path folder = root_ / fs::path(u8"淺 dir");
  fs::create_directories(folder);
  std::ofstream(folder / "a.mp4") << "x";
  const std::string gbk_folder = Gbk(root_) + "\\淺 dir";

  EXPECT_TRUE(files.Exists(gbk_folder));
  EXPECT_TRUE(files.Exists(gbk_folder + "\\a.mp4"));
  EXPECT_TRUE(files.Exists(gbk_folder + "\\*.MP4"));
  EXPECT_FALSE(files.Exists(gbk_folder + "\\b?.mp4"));
  EXPECT_FALSE(files.Exists(gbk_folder + "\\b.mp4"));
  EXPECT_FALSE(files.Exists(""));

  EXPECT_TRUE(files.WriteFile(gbk_folder + "\\设置.ini", "[a]\r\nb=1\r\n"));
  EXPECT_EQ(ReadHostFile(folder / fs::path(u8"设置.ini")), "[a]\r\nb=1\r\n");
  EXPECT_EQ(files.ReadFile(gbk_folder + "\\设置.ini"), "[a]\r\nb=1\r\n");
  EXPECT_EQ(files.ReadFile(gbk_folder + "\\missing.ini"), std::nullopt);
  EXPECT_FALSE(files.WriteFile(gbk_folder + "\\no\\such\\folder.ini", "x"));
}

TEST_F(PosixPlatformTest, CurrentDirectoryInCoreForm) {
  Files& files = platform().files;
  const fs::path folder = root_ / fs::path(u8"淺 dir");
  fs::create_directories(folder);
  ASSERT_TRUE(files.SetCurrentDirectory(Gbk(folder)));
  EXPECT_EQ(fs::current_path(), folder);
  EXPECT_EQ(files.CurrentDirectory(), Gbk(folder));
  EXPECT_EQ(files.CurrentDirectory().front(), '\\');
  EXPECT_TRUE(files.SetCurrentDirectory(".."));
  EXPECT_EQ(files.CurrentDirectory(), Gbk(root_));
  EXPECT_FALSE(files.SetCurrentDirectory(Gbk(root_) + "\\missing"));
  EXPECT_FALSE(files.SetCurrentDirectory(""));
  EXPECT_EQ(files.CurrentDirectory(), Gbk(root_));
}

// ---- The whole platform ----

TEST_F(PosixPlatformTest, ProfilesAndDialogsWorkOnRealFiles) {
  const std::string ini = Gbk(root_) + "\\conf.ini";
  platform().profiles.WriteProfileString("编辑框", "编辑框_推流地址", "rtmp://127.0.0.1/lumo/zhibo",
                                         ini);
  EXPECT_EQ(platform().profiles.GetProfileString("编辑框", "编辑框_推流地址", ini),
            "rtmp://127.0.0.1/lumo/zhibo");

  ASSERT_TRUE(platform().files.SetCurrentDirectory(Gbk(root_)));
  fs::create_directories(root_ / "media");
  posix_->dialogs().QueueAnswer("media\\clip");
  SaveDialogRequest request;
  request.default_extension = "mp4";
  EXPECT_EQ(platform().dialogs.SaveFileDialog(request), Gbk(root_) + "\\media\\clip.mp4");
  EXPECT_EQ(fs::current_path(), root_ / "media");
}

}  // namespace
}  // namespace morvane
