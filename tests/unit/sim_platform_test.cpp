#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/host_files.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

std::array<int, 6> AsArray(const DateFields& f) {
  return {f.year, f.month, f.day, f.hour, f.minute, f.second};
}

class SimPlatformTest : public testing::Test {
 protected:
  static fs::path FreshRoot() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    fs::path root = fs::temp_directory_path() / "morvane-tests" /
                    (std::string("sim.") + info->test_suite_name() + "." + info->name());
    fs::remove_all(root);
    fs::create_directories(root);
    return root;
  }

  static SimOptions Options(const fs::path& root) {
    SimOptions options;
    options.root = root;
    return options;
  }

  void Put(const fs::path& relative, const std::string& bytes = "") {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << bytes;
  }

  const SimWindow* WindowTitled(std::string_view title) const {
    for (const SimWindow& w : sim_.AllWindows()) {
      if (w.title == title) return &w;
    }
    return nullptr;
  }

  // The host path behind `path` as text, or "<none>".
  std::string Host(std::string_view path) {
    const std::optional<fs::path> host = sim_.HostPath(path);
    return host ? host->lexically_normal().string() : "<none>";
  }
  std::string Under(const fs::path& relative) const {
    return (relative.empty() ? root_ : root_ / relative).lexically_normal().string();
  }

  void TearDown() override { fs::remove_all(root_); }

  bool Running(uint32_t pid) const {
    const std::vector<SimProcess>& running = sim_.RunningProcesses();
    return std::any_of(running.begin(), running.end(),
                       [&](const SimProcess& p) { return p.pid == pid; });
  }

  uint32_t NewestPid() const { return sim_.RunningProcesses().back().pid; }

  fs::path root_ = FreshRoot();
  std::unique_ptr<Encoding> encoding_ = MakeSystemEncoding();
  SimPlatform sim_{Options(root_), *encoding_};
};

// ---- Paths ----

struct PathCase {
  const char* name;
  std::string path;
  fs::path expected;  // relative to the root folder
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class SimPathTest : public SimPlatformTest, public testing::WithParamInterface<PathCase> {};

TEST_P(SimPathTest, MapsToTheHostFolder) {
  const PathCase& c = GetParam();
  EXPECT_EQ(Host(c.path), Under(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimPathTest,
    testing::Values(
        PathCase{"RunDirectory", R"(D:\Capture)", ""},
        PathCase{"FileInRunDirectory", R"(D:\Capture\last.ini)", "last.ini"},
        PathCase{"TrailingBackslash", R"(D:\Capture\)", ""},
        PathCase{"CaseInsensitive", R"(d:\CAPTURE\Sub\x.mp4)", "Sub/x.mp4"},
        PathCase{"ForwardSlashes", "D:/Capture/x.mp4", "x.mp4"},
        PathCase{"Relative", "x.mp4", "x.mp4"},
        PathCase{"RelativeWithFolder", R"(sub\x.mp4)", "sub/x.mp4"},
        PathCase{"DotComponents", R"(.\sub\.\x.mp4)", "sub/x.mp4"},
        PathCase{"DotDotInside", R"(D:\Capture\sub\..\x.mp4)", "x.mp4"},
        PathCase{"DotDotOutOfRunDirectory", R"(..\Other\x.mp4)", ".drives/D/Other/x.mp4"},
        PathCase{"DotDotStopsAtTheDrive", R"(D:\..\..\x.mp4)", ".drives/D/x.mp4"},
        PathCase{"RootOfTheCurrentDrive", R"(\Media\x.mp4)", ".drives/D/Media/x.mp4"},
        PathCase{"OtherDrive", R"(E:\Media\show.mp4)", ".drives/E/Media/show.mp4"},
        PathCase{"OtherDriveLowerCase", R"(e:\Media)", ".drives/E/Media"},
        PathCase{"SameDriveOtherFolder", R"(D:\Capturex\x.mp4)", ".drives/D/Capturex/x.mp4"},
        PathCase{"ChineseName", R"(D:\Capture\录像.mp4)", fs::path(u8"录像.mp4")}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST_F(SimPlatformTest, RelativePathsFollowTheCurrentDirectory) {
  EXPECT_EQ(sim_.CurrentDirectory(), R"(D:\Capture)");
  EXPECT_FALSE(sim_.SetCurrentDirectory("sub"));  // no such folder
  EXPECT_EQ(sim_.CurrentDirectory(), R"(D:\Capture)");

  fs::create_directories(root_ / "sub");
  EXPECT_TRUE(sim_.SetCurrentDirectory(R"(sub\)"));
  EXPECT_EQ(sim_.CurrentDirectory(), R"(D:\Capture\sub)");
  EXPECT_EQ(Host("x.mp4"), Under("sub/x.mp4"));
  EXPECT_EQ(Host(R"(..\x.mp4)"), Under("x.mp4"));

  fs::create_directories(root_ / ".drives" / "E" / "Media");
  EXPECT_TRUE(sim_.SetCurrentDirectory(R"(E:\Media)"));
  EXPECT_EQ(Host("y.mp4"), Under(".drives/E/Media/y.mp4"));
  EXPECT_EQ(Host(R"(\z)"), Under(".drives/E/z"));
}

TEST_F(SimPlatformTest, FilesReadAndWriteThroughTheMapping) {
  EXPECT_TRUE(sim_.WriteFile(R"(D:\Capture\conf.ini)", "[s]\r\n"));
  EXPECT_EQ(ReadHostFile(root_ / "conf.ini"), "[s]\r\n");
  EXPECT_EQ(sim_.ReadFile("conf.ini"), "[s]\r\n");
  EXPECT_FALSE(sim_.WriteFile(R"(E:\nowhere\conf.ini)", "x"));
}

TEST_F(SimPlatformTest, ExistsFindsFilesFoldersAndWildcards) {
  Put("a.mp4");
  Put("ffmpeg.exe");
  fs::create_directories(root_ / "show.mp4");
  EXPECT_TRUE(sim_.Exists(R"(D:\Capture\ffmpeg.exe)"));
  EXPECT_FALSE(sim_.Exists(R"(D:\Capture\ffplay.exe)"));
  EXPECT_TRUE(sim_.Exists(R"(D:\Capture\show.mp4)"));
  EXPECT_TRUE(sim_.Exists(R"(D:\Capture)"));
  EXPECT_TRUE(sim_.Exists(R"(D:\Capture\*.mp4)"));
  EXPECT_TRUE(sim_.Exists("?.MP4"));
  EXPECT_FALSE(sim_.Exists("b?.mp4"));
  EXPECT_FALSE(sim_.Exists(R"(E:\Media\*)"));
}

// ---- Programs and windows ----

TEST_F(SimPlatformTest, RunProgramFailsWithoutTheProgramFile) {
  EXPECT_FALSE(sim_.RunProgram(R"(D:\Capture\ffmpeg.exe -i x out.mp4)", ShowMode::kMinimize));
  fs::create_directories(root_ / "tool.exe");  // a folder is no program
  EXPECT_FALSE(sim_.RunProgram(R"(D:\Capture\tool.exe)", ShowMode::kNormal));
  EXPECT_FALSE(sim_.RunProgram("", ShowMode::kNormal));
  EXPECT_TRUE(sim_.Commands().empty());
  EXPECT_TRUE(sim_.RunningProcesses().empty());
  EXPECT_TRUE(sim_.AllWindows().empty());
}

TEST_F(SimPlatformTest, RunProgramStartsAProcessWithAConsoleWindowOnTop) {
  Put("tool.exe");
  sim_.AddForeignWindow("记事本");
  ASSERT_TRUE(sim_.RunProgram(R"(tool.exe -a "b c")", ShowMode::kNormal));

  ASSERT_EQ(sim_.Commands().size(), 1u);
  EXPECT_EQ(sim_.Commands()[0].command_line, R"(tool.exe -a "b c")");
  EXPECT_EQ(sim_.Commands()[0].show, ShowMode::kNormal);
  ASSERT_EQ(sim_.RunningProcesses().size(), 1u);
  const SimProcess process = sim_.RunningProcesses()[0];
  EXPECT_EQ(process.exe_name, "tool.exe");
  EXPECT_EQ(process.command_line, R"(tool.exe -a "b c")");
  EXPECT_EQ(sim_.ListProcesses().at(0).pid, process.pid);
  EXPECT_EQ(sim_.ListProcesses().at(0).exe_name, "tool.exe");

  ASSERT_EQ(sim_.AllWindows().size(), 2u);
  const SimWindow& console = sim_.AllWindows().front();
  EXPECT_EQ(console.handle, process.console);
  EXPECT_EQ(console.title, R"(D:\Capture\tool.exe)");  // the program's full path
  EXPECT_EQ(console.owner, process.pid);
  EXPECT_TRUE(console.visible);
  EXPECT_FALSE(console.minimised);
  EXPECT_EQ(sim_.ListVisibleWindows().front(), process.console);
  EXPECT_EQ(sim_.GetWindowTitle(process.console), R"(D:\Capture\tool.exe)");
  EXPECT_EQ(sim_.GetWindowTitle(kNoWindow), "");
}

TEST_F(SimPlatformTest, ShowModesHideOrMinimiseTheConsole) {
  Put("my tools/t.exe");
  ASSERT_TRUE(sim_.RunProgram(R"("D:\Capture\my tools\t.exe" -x)", ShowMode::kHide));
  const SimProcess hidden = sim_.RunningProcesses().back();
  EXPECT_EQ(hidden.exe_name, "t.exe");
  EXPECT_FALSE(sim_.AllWindows().front().visible);
  EXPECT_EQ(sim_.AllWindows().front().title, R"(D:\Capture\my tools\t.exe)");
  EXPECT_TRUE(sim_.ListVisibleWindows().empty());

  ASSERT_TRUE(sim_.RunProgram(R"("D:\Capture\my tools\t.exe")", ShowMode::kMinimize));
  EXPECT_EQ(static_cast<int>(ShowMode::kMinimize), 6);
  const SimWindow& minimised = sim_.AllWindows().front();
  EXPECT_EQ(minimised.owner, NewestPid());
  EXPECT_TRUE(minimised.visible);
  EXPECT_TRUE(minimised.minimised);
  EXPECT_EQ(sim_.ListVisibleWindows(), (std::vector<WindowHandle>{minimised.handle}));
  EXPECT_NE(NewestPid(), hidden.pid);
}

TEST_F(SimPlatformTest, ClosingAConsoleEndsItsProcessAndItsWindows) {
  Put("ffplay.exe");
  sim_.AddForeignWindow("other");
  ASSERT_TRUE(sim_.RunProgram(R"(D:\Capture\ffplay.exe -window_title 预览 -i x)", ShowMode::kHide));
  const SimProcess player = sim_.RunningProcesses().back();
  sim_.DelayWithEvents(2000);
  ASSERT_NE(WindowTitled("预览"), nullptr);

  sim_.PostCloseMessage(player.console);
  EXPECT_FALSE(Running(player.pid));
  EXPECT_EQ(WindowTitled("预览"), nullptr);
  EXPECT_EQ(WindowTitled(R"(D:\Capture\ffplay.exe)"), nullptr);
  EXPECT_NE(WindowTitled("other"), nullptr);
}

TEST_F(SimPlatformTest, ClosingAForeignWindowOnlyClosesIt) {
  Put("tool.exe");
  ASSERT_TRUE(sim_.RunProgram("tool.exe", ShowMode::kNormal));
  sim_.AddForeignWindow("x ffmpeg.exe y");
  const WindowHandle foreign = sim_.AllWindows().front().handle;
  ASSERT_EQ(sim_.AllWindows().front().owner, 0u);

  sim_.PostCloseMessage(foreign);
  EXPECT_EQ(WindowTitled("x ffmpeg.exe y"), nullptr);
  EXPECT_EQ(sim_.RunningProcesses().size(), 1u);
  EXPECT_EQ(sim_.AllWindows().size(), 1u);

  sim_.PostCloseMessage(foreign);  // gone already: nothing happens
  sim_.PostCloseMessage(kNoWindow);
  EXPECT_EQ(sim_.AllWindows().size(), 1u);
}

TEST_F(SimPlatformTest, EndProcessByNameEndsTheNewest) {
  Put("tool.exe");
  ASSERT_TRUE(sim_.RunProgram("tool.exe 1", ShowMode::kNormal));
  const uint32_t first = NewestPid();
  ASSERT_TRUE(sim_.RunProgram("tool.exe 2", ShowMode::kNormal));
  const uint32_t second = NewestPid();

  EXPECT_TRUE(sim_.EndProcessByName("TOOL.EXE"));
  EXPECT_FALSE(Running(second));
  EXPECT_TRUE(Running(first));
  EXPECT_EQ(sim_.AllWindows().size(), 1u);
  EXPECT_EQ(sim_.AllWindows().front().owner, first);
  EXPECT_FALSE(sim_.EndProcessByName("other.exe"));
  EXPECT_TRUE(sim_.EndProcessByName("tool.exe"));
  EXPECT_FALSE(sim_.EndProcessByName("tool.exe"));
  EXPECT_TRUE(sim_.AllWindows().empty());
}

TEST_F(SimPlatformTest, TerminateProcessEndsThatProcess) {
  Put("tool.exe");
  ASSERT_TRUE(sim_.RunProgram("tool.exe", ShowMode::kNormal));
  const uint32_t pid = NewestPid();
  EXPECT_TRUE(sim_.TerminateProcess(pid));
  EXPECT_FALSE(Running(pid));
  EXPECT_TRUE(sim_.AllWindows().empty());
  EXPECT_FALSE(sim_.TerminateProcess(pid));
}

// ---- The simulated recorder and previewer ----

TEST_F(SimPlatformTest, RecorderCreatesItsOutputAndKeepsRunning) {
  Put("ffmpeg.exe");
  ASSERT_TRUE(sim_.RunProgram(R"(D:\Capture\ffmpeg.exe -i x -y "D:\Capture\out 1.mp4")",
                              ShowMode::kMinimize));
  const uint32_t pid = NewestPid();
  EXPECT_TRUE(fs::is_regular_file(root_ / "out 1.mp4"));
  sim_.DelayWithEvents(600'000);
  EXPECT_TRUE(Running(pid));
  EXPECT_NE(WindowTitled(R"(D:\Capture\ffmpeg.exe)"), nullptr);
}

TEST_F(SimPlatformTest, RecorderExitsSoonWhenTheFolderIsMissing) {
  Put("ffmpeg.exe");
  ASSERT_TRUE(
      sim_.RunProgram(R"(D:\Capture\ffmpeg.exe -i x D:\Capture\none\o.mp4)", ShowMode::kMinimize));
  const uint32_t pid = NewestPid();
  EXPECT_TRUE(Running(pid));
  sim_.DelayWithEvents(99);
  EXPECT_TRUE(Running(pid));
  sim_.DelayWithEvents(1);
  EXPECT_FALSE(Running(pid));
  EXPECT_TRUE(sim_.AllWindows().empty());
  EXPECT_FALSE(fs::exists(root_ / "none"));
}

TEST_F(SimPlatformTest, RecorderLeavesAnExistingFileAndWaits) {
  Put("ffmpeg.exe");
  Put("old.mp4", "keep");
  ASSERT_TRUE(sim_.RunProgram(R"(D:\Capture\ffmpeg.exe -t 2 -i x old.mp4)", ShowMode::kMinimize));
  const uint32_t pid = NewestPid();
  sim_.DelayWithEvents(60'000);
  EXPECT_TRUE(Running(pid));
  EXPECT_EQ(ReadHostFile(root_ / "old.mp4"), "keep");
}

TEST_F(SimPlatformTest, RecorderEndsAfterItsDurationLimit) {
  Put("ffmpeg.exe");
  ASSERT_TRUE(sim_.RunProgram(R"(D:\Capture\ffmpeg.exe -i x -t 90 new.mp4)", ShowMode::kMinimize));
  const uint32_t pid = NewestPid();
  EXPECT_TRUE(fs::exists(root_ / "new.mp4"));
  sim_.DelayWithEvents(89'999);
  EXPECT_TRUE(Running(pid));
  sim_.DelayWithEvents(1);
  EXPECT_FALSE(Running(pid));
  EXPECT_TRUE(fs::exists(root_ / "new.mp4"));
}

TEST_F(SimPlatformTest, PreviewerOpensItsWindowAfterTheDelay) {
  Put("ffplay.exe");
  ASSERT_TRUE(sim_.RunProgram(R"(D:\Capture\ffplay.exe -window_title 预览 -i x)", ShowMode::kHide));
  const uint32_t pid = NewestPid();
  sim_.DelayWithEvents(1499);
  EXPECT_EQ(WindowTitled("预览"), nullptr);
  sim_.DelayWithEvents(1);
  const SimWindow* video = WindowTitled("预览");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->owner, pid);
  EXPECT_TRUE(video->visible);
  EXPECT_EQ(sim_.ListVisibleWindows().front(), video->handle);

  // Without a window title no video window opens.
  ASSERT_TRUE(sim_.RunProgram(R"(D:\Capture\ffplay.exe -i y)", ShowMode::kHide));
  const std::size_t windows = sim_.AllWindows().size();
  sim_.DelayWithEvents(10'000);
  EXPECT_EQ(sim_.AllWindows().size(), windows);
}

TEST(SimPlatformOptionsTest, PreviewWindowDelayIsAnOption) {
  const fs::path root = fs::temp_directory_path() / "morvane-tests" / "sim.preview-delay";
  fs::remove_all(root);
  fs::create_directories(root);
  std::ofstream(root / "ffplay.exe") << "";
  std::unique_ptr<Encoding> encoding = MakeSystemEncoding();
  SimOptions options;
  options.root = root;
  options.preview_window_delay_ms = 300;
  SimPlatform sim(options, *encoding);
  ASSERT_TRUE(sim.RunProgram(R"(ffplay.exe -window_title 预览)", ShowMode::kHide));
  sim.DelayWithEvents(299);
  EXPECT_EQ(sim.AllWindows().size(), 1u);
  sim.DelayWithEvents(1);
  ASSERT_EQ(sim.AllWindows().size(), 2u);
  EXPECT_EQ(sim.AllWindows().front().title, "预览");
}

// ---- Waiting ----

// Timers for the pump: each ticks every period ms from its start, and a tick can look at the
// simulated machine.
class FakeTimers : public TimerSource {
 public:
  struct Timer {
    char name;
    int64_t period;
    int64_t next_due;
  };
  explicit FakeTimers(std::function<void(char)> on_tick = {}) : on_tick_(std::move(on_tick)) {}
  void Add(char name, int64_t period, int64_t now) {
    timers_.push_back({name, period, now + period});
  }
  int64_t NextTimerDue() const override {
    int64_t next = -1;
    for (const Timer& t : timers_) {
      if (next < 0 || t.next_due < next) next = t.next_due;
    }
    return next;
  }
  void FireDueTimers(int64_t now_ms) override {
    for (;;) {
      Timer* due = nullptr;
      for (Timer& t : timers_) {
        if (t.next_due <= now_ms && (due == nullptr || t.next_due < due->next_due)) due = &t;
      }
      if (due == nullptr) return;
      while (due->next_due <= now_ms) due->next_due += due->period;
      ticks.push_back({due->name, now_ms});
      if (on_tick_) on_tick_(due->name);
    }
  }
  std::vector<std::pair<char, int64_t>> ticks;

 private:
  std::vector<Timer> timers_;
  std::function<void(char)> on_tick_;
};

TEST_F(SimPlatformTest, DelayWithEventsFiresTicksInTimeOrder) {
  FakeTimers timers;
  timers.Add('a', 1000, sim_.MonotonicMs());
  timers.Add('b', 700, sim_.MonotonicMs());
  sim_.SetTimerSource(&timers);
  sim_.DelayWithEvents(2500);
  EXPECT_EQ(timers.ticks, (std::vector<std::pair<char, int64_t>>{
                              {'b', 700}, {'a', 1000}, {'b', 1400}, {'a', 2000}, {'b', 2100}}));
  EXPECT_EQ(sim_.MonotonicMs(), 2500);

  sim_.ProcessEvents();  // nothing more is due
  EXPECT_EQ(timers.ticks.size(), 5u);
  sim_.SetTimerSource(nullptr);
}

TEST_F(SimPlatformTest, TicksSeeWhatProgramsDidEarlier) {
  Put("ffplay.exe");
  std::vector<bool> seen;
  FakeTimers timers([&](char) { seen.push_back(WindowTitled("预览") != nullptr); });
  timers.Add('w', 1000, sim_.MonotonicMs());
  sim_.SetTimerSource(&timers);
  ASSERT_TRUE(sim_.RunProgram(R"(ffplay.exe -window_title 预览)", ShowMode::kHide));
  sim_.DelayWithEvents(2000);
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));  // the window opened at 1500
  sim_.SetTimerSource(nullptr);
}

TEST_F(SimPlatformTest, SleepFiresNothing) {
  FakeTimers timers;
  timers.Add('a', 1000, sim_.MonotonicMs());
  sim_.SetTimerSource(&timers);
  sim_.Sleep(3500);
  EXPECT_TRUE(timers.ticks.empty());
  EXPECT_EQ(sim_.MonotonicMs(), 3500);
  // Handling events afterwards gives one late tick, not the missed ones.
  sim_.ProcessEvents();
  EXPECT_EQ(timers.ticks, (std::vector<std::pair<char, int64_t>>{{'a', 3500}}));
  sim_.SetTimerSource(nullptr);
}

// ---- The clock ----

TEST_F(SimPlatformTest, LocalTimeMovesByWholeSecondsWithTheMonotonicCount) {
  EXPECT_EQ(sim_.MonotonicMs(), 0);
  EXPECT_EQ(AsArray(sim_.LocalNow()), (std::array<int, 6>{2024, 5, 1, 8, 30, 15}));
  sim_.Sleep(999);
  EXPECT_EQ(AsArray(sim_.LocalNow()), (std::array<int, 6>{2024, 5, 1, 8, 30, 15}));
  sim_.Sleep(1);
  EXPECT_EQ(AsArray(sim_.LocalNow()), (std::array<int, 6>{2024, 5, 1, 8, 30, 16}));
  sim_.DelayWithEvents(16 * 3600 * 1000 + 29 * 60 * 1000 + 44 * 1000);
  EXPECT_EQ(AsArray(sim_.LocalNow()), (std::array<int, 6>{2024, 5, 2, 1, 0, 0}));
}

TEST_F(SimPlatformTest, SetLocalTimeRebasesAtTheCurrentMoment) {
  sim_.Sleep(700);
  sim_.SetLocalTime({2022, 12, 31, 23, 59, 59});
  EXPECT_EQ(AsArray(sim_.LocalNow()), (std::array<int, 6>{2022, 12, 31, 23, 59, 59}));
  sim_.Sleep(500);  // 1200 ms on the count, 500 ms after the rebase
  EXPECT_EQ(AsArray(sim_.LocalNow()), (std::array<int, 6>{2022, 12, 31, 23, 59, 59}));
  sim_.Sleep(500);
  EXPECT_EQ(AsArray(sim_.LocalNow()), (std::array<int, 6>{2023, 1, 1, 0, 0, 0}));
  EXPECT_EQ(sim_.MonotonicMs(), 1700);  // the monotonic count is not touched
}

// ---- The save dialog ----

TEST_F(SimPlatformTest, SaveDialogCancelsWhenNothingIsQueued) {
  SaveDialogRequest request;
  request.initial_name = "默认时间文件名";
  EXPECT_EQ(sim_.SaveFileDialog(request), std::nullopt);
  ASSERT_TRUE(sim_.LastDialog().has_value());
  EXPECT_EQ(sim_.LastDialog()->initial_name, "默认时间文件名");
  EXPECT_EQ(sim_.CurrentDirectory(), R"(D:\Capture)");
}

TEST_F(SimPlatformTest, SaveDialogAnswersFromTheQueueInOrder) {
  fs::create_directories(root_ / ".drives" / "E" / "Media");
  fs::create_directories(root_ / "v.1");
  sim_.QueueDialogAnswer(R"(E:\Media\show)");
  sim_.QueueDialogAnswer(std::nullopt);
  sim_.QueueDialogAnswer("clip.avi");
  sim_.QueueDialogAnswer(R"(D:\Capture\v.1\take)");

  SaveDialogRequest request;
  request.default_extension = "mp4";
  EXPECT_EQ(sim_.SaveFileDialog(request), R"(E:\Media\show.mp4)");
  EXPECT_EQ(sim_.CurrentDirectory(), R"(E:\Media)");      // moved to the chosen folder
  EXPECT_EQ(sim_.SaveFileDialog(request), std::nullopt);  // the user cancelled
  // Relative to the new current directory; an extension of its own is kept.
  EXPECT_EQ(sim_.SaveFileDialog(request), R"(E:\Media\clip.avi)");
  // A dot in a folder name is no extension of the file.
  request.keep_current_directory = true;
  EXPECT_EQ(sim_.SaveFileDialog(request), R"(D:\Capture\v.1\take.mp4)");
  EXPECT_EQ(sim_.CurrentDirectory(), R"(E:\Media)");
  EXPECT_EQ(sim_.SaveFileDialog(request), std::nullopt);  // the queue is empty
}

TEST_F(SimPlatformTest, SaveDialogWithoutDefaultExtensionKeepsTheName) {
  sim_.QueueDialogAnswer(R"(D:\Capture\plain)");
  SaveDialogRequest request;
  request.default_extension = "";
  EXPECT_EQ(sim_.SaveFileDialog(request), R"(D:\Capture\plain)");
}

}  // namespace
}  // namespace morvane
