#include "preview/preview.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "log/run_log.h"
#include "platform/encoding.h"
#include "platform/sim/sim_platform.h"

namespace morvane {
namespace {

constexpr std::string_view kConsoleTitle = "D:\\Capture\\ffplay.exe";
constexpr std::string_view kUrl = "rtmp://192.0.2.7/live/cam";
constexpr std::string_view kCamera = "\"USB Camera\"";
// The main window after start-up on a 1920x1080 screen: left edge 50, centred vertically.
constexpr Rect kMainWindow{50, 316, 573, 448};
constexpr Rect kBesideMainWindow{623, 316, 573, 448};

// A started tool on a simulated machine whose previewers open their video window `delay_ms`
// after they start.
class PreviewFixture : public ::testing::Test {
 protected:
  explicit PreviewFixture(int delay_ms) : sim_(Options(root_, delay_ms), *encoding_) {}

  void SetUp() override {
    std::ofstream(root_ / "ffmpeg.exe");
    std::ofstream(root_ / "ffplay.exe");
    app_.Start();
    // Start-up writes entry 1 and perhaps plain lines; what follows is this test's.
    ASSERT_EQ(app_.LogCounter, 1);
    start_log_ = Log();
  }

  static std::filesystem::path FreshFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "morvane-tests" /
                                   (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
  }

  static SimOptions Options(const std::filesystem::path& root, int delay_ms) {
    SimOptions options;
    options.root = root;
    options.preview_window_delay_ms = delay_ms;
    return options;
  }

  void UseDeviceSource() {
    w_.SetChecked(Ctl::单选框设备, true);
    w_.SetChecked(Ctl::单选框rtmp, false);
  }
  void AddCamera() {
    UseDeviceSource();
    w_.AddItem(Ctl::组合框1视频设备, std::string(kCamera));
    w_.AddItem(Ctl::组合框1视频设备, "\"Capture Card\"");
    w_.SetSelection(Ctl::组合框1视频设备, 0);
  }
  void UsePullSource() {
    w_.SetChecked(Ctl::单选框设备, false);
    w_.SetChecked(Ctl::单选框rtmp, true);
    w_.SetText(Ctl::编辑框_推流地址, std::string(kUrl));
  }
  // A user click on the preview box; true when the box is ticked afterwards.
  bool ClickPreview() {
    EXPECT_TRUE(w_.UserClick(Ctl::选择框2预览));
    return w_.Checked(Ctl::选择框2预览);
  }
  // Something other than what the preview sets, so that its writes show.
  void MarkCaptionAndColour() {
    w_.SetCaption("before");
    SetLogColour(app_, kLogPinkRed);
  }

  std::string Log() const { return w_.Text(Ctl::编辑框1日志); }
  std::string Entry(int breaks, int number, std::string_view time, std::string_view body) const {
    std::string entry;
    for (int i = 0; i < breaks; ++i) entry += "\r\n";
    return entry + std::to_string(number) + ".2024年5月1日8时30分" + std::string(time) +
           std::string(body);
  }
  int Previewers() const {
    int count = 0;
    for (const SimProcess& p : sim_.RunningProcesses()) count += p.exe_name == "ffplay.exe";
    return count;
  }
  std::vector<SimWindow> WindowsTitled(std::string_view title) const {
    std::vector<SimWindow> found;
    for (const SimWindow& win : sim_.AllWindows()) {
      if (win.title == title) found.push_back(win);
    }
    return found;
  }
  bool Idle() const { return w_.Enabled(Ctl::按钮_开始录制) && !w_.Enabled(Ctl::按钮_停止录制); }

  std::filesystem::path root_ = FreshFolder();
  std::unique_ptr<Encoding> encoding_ = MakeSystemEncoding();
  SimPlatform sim_;
  App app_{sim_.platform(), sim_.RunDirectory()};
  WindowModel& w_ = app_.window;
  std::string start_log_;
};

// The machine's usual previewer: its video window opens within the first, event-handling second.
class PreviewTest : public PreviewFixture {
 protected:
  PreviewTest() : PreviewFixture(500) {}
};

// A slow previewer whose video window opens long after the opening steps are over.
class LateWindowPreviewTest : public PreviewFixture {
 protected:
  LateWindowPreviewTest() : PreviewFixture(5000) {}
};

TEST_F(PreviewTest, DeviceSourceWithoutAVideoDeviceIsRefused) {
  UseDeviceSource();
  w_.SetChecked(Ctl::选择框反交错, false);
  MarkCaptionAndColour();
  EXPECT_FALSE(ClickPreview());

  EXPECT_EQ(Log(), start_log_ + Entry(2, 2, "15秒", "\r\n！！！请先选择视频设备 "));
  EXPECT_EQ(app_.LogCounter, 2);
  EXPECT_TRUE(sim_.Commands().empty());
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 0);
  EXPECT_EQ(w_.Caption(), "before");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogPinkRed);
  EXPECT_EQ(app_.VideoInputArg, "  -f dshow -i video=");
  EXPECT_EQ(app_.DeinterlaceArg, " ");
  EXPECT_EQ(sim_.MonotonicMs(), 0);  // no waiting either

  // The refused click still used up its number.
  AddCamera();
  EXPECT_TRUE(ClickPreview());
  EXPECT_EQ(app_.LogCounter, 3);
}

struct CommandCase {
  const char* name;
  bool device_source;
  bool deinterlace;
  int field_order;  // selection of 组合框反交错场
  std::string_view command;
};

class PreviewCommandTest : public PreviewFixture,
                           public ::testing::WithParamInterface<CommandCase> {
 protected:
  PreviewCommandTest() : PreviewFixture(500) {}
};

TEST_P(PreviewCommandTest, StartsThePreviewerOnTheChosenSourceAndLogsIt) {
  const CommandCase& c = GetParam();
  AddCamera();
  if (!c.device_source) UsePullSource();
  w_.SetChecked(Ctl::选择框反交错, c.deinterlace);
  w_.SetSelection(Ctl::组合框反交错场, c.field_order);
  ASSERT_TRUE(ClickPreview());

  ASSERT_EQ(sim_.Commands().size(), 1u);
  EXPECT_EQ(sim_.Commands()[0].command_line, c.command);
  EXPECT_EQ(sim_.Commands()[0].show, ShowMode::kNormal);
  const std::string entry =
      c.device_source
          ? Entry(2, 2, "15秒", "\r\n预览设备频源\r\n" + std::string(c.command)) +
                "\r\n*****预览窗口打开较慢，请耐心"
          : Entry(2, 2, "15秒", "\r\n预览拉流视频源：" + std::string(kUrl)) + "\r\n" +
                std::string(c.command) + "\r\n*****预览窗口打开较慢，无信号源10秒后自动取消预览。";
  EXPECT_EQ(Log(), start_log_ + entry);
  EXPECT_EQ(app_.LogCounter, 2);
  // The preview's own device form is composed whatever the source.
  EXPECT_EQ(app_.VideoInputArg, "  -f dshow -i video=\"USB Camera\"");
  EXPECT_EQ(Previewers(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PreviewCommandTest,
    ::testing::Values(
        // Three blanks between the title and "-f": DeinterlaceArg's one, VideoInputArg's two.
        CommandCase{"DeviceProgressive", true, false, 0,
                    "D:\\Capture\\ffplay.exe -y 350 -window_title \"预览\"   -f dshow -i "
                    "video=\"USB Camera\""},
        CommandCase{"DeviceBottomFieldFirst", true, true, 1,
                    "D:\\Capture\\ffplay.exe -y 350 -window_title \"预览\" -vf "
                    "yadif=mode=0:parity=1:deint=0   -f dshow -i video=\"USB Camera\""},
        // Two blanks before the URL: the fixed text's last one and DeinterlaceArg's one.
        CommandCase{"StreamProgressive", false, false, 1,
                    "D:\\Capture\\ffplay.exe  -y 350  -window_title \"预览\" -fflags nobuffer  "
                    "rtmp://192.0.2.7/live/cam"},
        CommandCase{"StreamTopFieldFirst", false, true, 0,
                    "D:\\Capture\\ffplay.exe  -y 350  -window_title \"预览\" -fflags nobuffer  -vf "
                    "yadif=mode=0:parity=0:deint=0 rtmp://192.0.2.7/live/cam"},
        CommandCase{"StreamNoFieldOrderChosen", false, true, -1,
                    "D:\\Capture\\ffplay.exe  -y 350  -window_title \"预览\" -fflags nobuffer  -vf "
                    "yadif=mode=0:parity=-1:deint=0 rtmp://192.0.2.7/live/cam"}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

TEST_F(PreviewTest, PlacesTheVideoWindowFlushAgainstTheMainWindowsRightEdge) {
  AddCamera();
  MarkCaptionAndColour();
  ASSERT_EQ(w_.WindowRect(), kMainWindow);
  ASSERT_TRUE(ClickPreview());

  const std::vector<SimWindow> video = WindowsTitled("预览");
  ASSERT_EQ(video.size(), 1u);
  EXPECT_EQ(video[0].place, kBesideMainWindow);
  EXPECT_FALSE(video[0].minimised);
  const std::vector<SimWindow> console = WindowsTitled(kConsoleTitle);
  ASSERT_EQ(console.size(), 1u);
  EXPECT_TRUE(console[0].minimised);
  EXPECT_EQ(console[0].place, (Rect{120, 80, 660, 340}));  // minimised where it opened

  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 1000);
  EXPECT_EQ(w_.Caption(), "Tavonik");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogWhite);
  EXPECT_EQ(app_.SearchTitle, "预览");
  EXPECT_EQ(sim_.MonotonicMs(), 2000);  // one second with events, one without
}

TEST_F(PreviewTest, PlacementFollowsTheMainWindowWhereItIsNow) {
  AddCamera();
  w_.SetWindowRect({-300, 40, 640, 480});
  ASSERT_TRUE(ClickPreview());
  const std::vector<SimWindow> video = WindowsTitled("预览");
  ASSERT_EQ(video.size(), 1u);
  EXPECT_EQ(video[0].place, (Rect{340, 40, 640, 480}));
}

TEST_F(PreviewTest, TheLastWindowTitledWithPreviewInTheEnumerationIsTheOneMoved) {
  // Another program's window, below the previewer's windows once those open.
  sim_.AddForeignWindow("旧预览截图");
  AddCamera();
  ASSERT_TRUE(ClickPreview());

  const std::vector<SimWindow> foreign = WindowsTitled("旧预览截图");
  ASSERT_EQ(foreign.size(), 1u);
  EXPECT_EQ(foreign[0].place, kBesideMainWindow);
  EXPECT_EQ(WindowsTitled("预览")[0].place, (Rect{100, 100, 622, 350}));
}

TEST_F(LateWindowPreviewTest, ALateVideoWindowLeavesThePlacementToTheConsoleWindow) {
  UsePullSource();
  ASSERT_TRUE(ClickPreview());
  EXPECT_TRUE(WindowsTitled("预览").empty());
  const std::vector<SimWindow> console = WindowsTitled(kConsoleTitle);
  ASSERT_EQ(console.size(), 1u);
  EXPECT_TRUE(console[0].minimised);
  EXPECT_EQ(console[0].place, kBesideMainWindow);

  // The video window keeps the place the previewer gives it, and the watchdog stays quiet.
  const std::string log = Log();
  sim_.DelayWithEvents(5000);
  const std::vector<SimWindow> video = WindowsTitled("预览");
  ASSERT_EQ(video.size(), 1u);
  EXPECT_EQ(video[0].place, (Rect{100, 100, 622, 350}));
  EXPECT_EQ(Log(), log);
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 1000);
  EXPECT_TRUE(w_.Checked(Ctl::选择框2预览));
}

TEST_F(PreviewTest, APreviewerThatCannotStartIsReportedByTheWatchdogsFirstTick) {
  std::filesystem::remove(root_ / "ffplay.exe");
  UsePullSource();
  MarkCaptionAndColour();
  ASSERT_TRUE(ClickPreview());

  EXPECT_TRUE(sim_.Commands().empty());
  EXPECT_EQ(Log(), start_log_);  // no entry and no notice, but the number is used
  EXPECT_EQ(app_.LogCounter, 2);
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 1000);
  EXPECT_EQ(w_.Caption(), "Tavonik");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogWhite);
  EXPECT_EQ(sim_.MonotonicMs(), 2000);

  sim_.DelayWithEvents(999);
  EXPECT_EQ(Log(), start_log_);
  sim_.DelayWithEvents(1);
  EXPECT_EQ(Log(),
            start_log_ + Entry(3, 3, "18秒", "\r\n！！！视频源错误或ffplay被关闭了，请检查"));
  EXPECT_FALSE(w_.Checked(Ctl::选择框2预览));
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 0);
}

TEST_F(PreviewTest, NeitherWindowFoundChangesNoWindow) {
  std::filesystem::remove(root_ / "ffplay.exe");
  sim_.AddForeignWindow("记事本");
  AddCamera();
  ASSERT_TRUE(ClickPreview());
  const std::vector<SimWindow> foreign = WindowsTitled("记事本");
  ASSERT_EQ(foreign.size(), 1u);
  EXPECT_FALSE(foreign[0].minimised);
  EXPECT_EQ(foreign[0].place, (Rect{200, 150, 800, 600}));
}

TEST_F(PreviewTest, ClosingEndsEveryPreviewerWithOneEntryEachUnderOneNumber) {
  AddCamera();
  ASSERT_TRUE(ClickPreview());
  // Another device unticks the box from code; the first previewer keeps running.
  ASSERT_TRUE(w_.UserSelectItem(Ctl::组合框1视频设备, 1));
  EXPECT_FALSE(w_.Checked(Ctl::选择框2预览));
  EXPECT_EQ(Previewers(), 1);
  ASSERT_TRUE(ClickPreview());
  ASSERT_EQ(Previewers(), 2);
  // A recorder and a previewer named in other letter case are no previewers to close.
  std::ofstream(root_ / "FFPLAY.EXE");
  ASSERT_TRUE(sim_.RunProgram("D:\\Capture\\FFPLAY.EXE", ShowMode::kNormal));
  UsePullSource();
  ASSERT_TRUE(w_.UserClick(Ctl::按钮_开始录制));
  const std::string log = Log();
  MarkCaptionAndColour();

  EXPECT_FALSE(ClickPreview());

  const std::string closed = Entry(2, 5, "19秒", "\r\n关闭预览窗口");
  EXPECT_EQ(Log(), log + closed + closed);
  EXPECT_EQ(app_.LogCounter, 5);
  EXPECT_EQ(Previewers(), 0);
  EXPECT_TRUE(WindowsTitled("预览").empty());
  std::vector<std::string> left;
  for (const SimProcess& p : sim_.RunningProcesses()) left.push_back(p.exe_name);
  EXPECT_EQ(left, (std::vector<std::string>{"FFPLAY.EXE", "ffmpeg.exe"}));
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 0);
  EXPECT_EQ(w_.Caption(), "Tavonik");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogWhite);
}

TEST_F(PreviewTest, ClosingWithNoPreviewerWritesNothingAndLeavesTheWatchdog) {
  AddCamera();
  ASSERT_TRUE(ClickPreview());
  // The previewer ends on its own just before the user unticks the box.
  ASSERT_TRUE(sim_.EndProcessByName("ffplay.exe"));
  const std::string log = Log();
  MarkCaptionAndColour();

  EXPECT_FALSE(ClickPreview());

  EXPECT_EQ(Log(), log);
  EXPECT_EQ(app_.LogCounter, 3);
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 1000);
  EXPECT_EQ(w_.Caption(), "Tavonik");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogWhite);

  // The watchdog left running reports at its next tick, under the next number.
  sim_.DelayWithEvents(1000);
  EXPECT_EQ(Log(), log + Entry(3, 4, "18秒", "\r\n！！！视频源错误或ffplay被关闭了，请检查"));
}

TEST_F(PreviewTest, ClosingWithTheWatchdogStoppedLeavesItStopped) {
  w_.SetChecked(Ctl::选择框2预览, true);
  EXPECT_FALSE(ClickPreview());
  EXPECT_EQ(Log(), start_log_);
  EXPECT_EQ(app_.LogCounter, 2);
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 0);
  EXPECT_EQ(w_.Caption(), "Tavonik");
}

TEST_F(PreviewTest, WatchdogResetsThePreviewWhenThePreviewerEndsEvenWhileRecording) {
  UsePullSource();
  ASSERT_TRUE(w_.UserClick(Ctl::按钮_开始录制));
  ASSERT_TRUE(ClickPreview());
  ASSERT_FALSE(Idle());
  const std::string log = Log();

  sim_.DelayWithEvents(3000);  // quiet while the console window lives
  EXPECT_EQ(Log(), log);

  ASSERT_TRUE(sim_.EndProcessByName("ffplay.exe"));
  sim_.DelayWithEvents(1000);

  EXPECT_EQ(Log(), log + Entry(3, 4, "21秒", "\r\n！！！视频源错误或ffplay被关闭了，请检查"));
  EXPECT_EQ(app_.LogCounter, 4);
  EXPECT_EQ(w_.Caption(), "！！！视频源错误或ffplay被关闭了，请检查");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), (Rgb{255, 80, 128}));
  EXPECT_FALSE(w_.Checked(Ctl::选择框2预览));  // cleared from code: no closing ran
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 0);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(sim_.RunningProcesses().size(), 1u);  // the recording goes on
  EXPECT_EQ(w_.Period(Ctl::时钟1ffmpeg), 1000);

  // Stopped: no further reports.
  sim_.DelayWithEvents(3000);
  EXPECT_EQ(app_.LogCounter, 4);
}

TEST_F(PreviewTest, AnotherProgramsWindowTitledWithTheExeNameKeepsTheWatchdogQuiet) {
  AddCamera();
  ASSERT_TRUE(ClickPreview());
  sim_.AddForeignWindow("C:\\Tools\\ffplay.exe - 说明.txt");
  ASSERT_TRUE(sim_.EndProcessByName("ffplay.exe"));
  const std::string log = Log();

  sim_.DelayWithEvents(5000);
  EXPECT_EQ(Log(), log);
  EXPECT_TRUE(w_.Checked(Ctl::选择框2预览));
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 1000);

  ASSERT_TRUE(sim_.RemoveForeignWindow("C:\\Tools\\ffplay.exe - 说明.txt"));
  sim_.DelayWithEvents(1000);
  EXPECT_FALSE(w_.Checked(Ctl::选择框2预览));
  EXPECT_EQ(app_.LogCounter, 3);
}

TEST_F(PreviewTest, TimerTicksRunInsideTheFirstSecondOfOpening) {
  UsePullSource();
  w_.SetChecked(Ctl::选择框反交错, false);
  ASSERT_TRUE(w_.UserClick(Ctl::按钮_开始录制));  // entry 2; its watchdog is due at 1000 ms
  ASSERT_TRUE(sim_.EndProcessByName("ffmpeg.exe"));
  sim_.DelayWithEvents(500);
  const std::string log = Log();

  ASSERT_TRUE(ClickPreview());  // number 3; waits from 500 ms with events, to 1500 ms

  const std::string command =
      "D:\\Capture\\ffplay.exe  -y 350  -window_title \"预览\" -fflags nobuffer  "
      "rtmp://192.0.2.7/live/cam";
  EXPECT_EQ(Log(), log + Entry(2, 3, "15秒", "\r\n预览拉流视频源：" + std::string(kUrl)) + "\r\n" +
                       command + "\r\n*****预览窗口打开较慢，无信号源10秒后自动取消预览。" +
                       Entry(3, 4, "16秒", "\r\n！！！录制停止，视频源错误或窗口被关闭，请检查"));
  EXPECT_EQ(app_.LogCounter, 4);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(w_.Period(Ctl::时钟1ffmpeg), 0);
  // The click ends after the recorder watchdog, so its colour and caption win.
  EXPECT_EQ(w_.Caption(), "Tavonik");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogWhite);
  EXPECT_EQ(w_.Period(Ctl::时钟2ffplay), 1000);
}

TEST_F(PreviewTest, NoTicksRunInTheSecondSecondOfOpening) {
  UsePullSource();
  // No recorder runs, so this watchdog reports at its tick, which falls due at 1500 ms: inside
  // the second of opening that handles no events.
  w_.SetPeriod(Ctl::时钟1ffmpeg, 1500);
  ASSERT_TRUE(ClickPreview());
  EXPECT_EQ(sim_.MonotonicMs(), 2000);
  EXPECT_EQ(Log().find("录制停止"), std::string::npos);

  // The overdue tick runs as soon as events are handled again.
  sim_.ProcessEvents();
  EXPECT_TRUE(
      Log().ends_with(Entry(3, 3, "17秒", "\r\n！！！录制停止，视频源错误或窗口被关闭，请检查")));
}

}  // namespace
}  // namespace morvane
