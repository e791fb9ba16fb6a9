#include "recording/recording_control.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "log/run_log.h"

namespace morvane {
namespace {

class RecordingControlTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    start_log_ = Log();
  }

  void UsePullSource() {
    w_.SetChecked(Ctl::单选框设备, false);
    w_.SetChecked(Ctl::单选框rtmp, true);
    w_.SetText(Ctl::编辑框_推流地址, "rtmp://192.0.2.7/live/cam");
    w_.SetText(Ctl::组合框帧率, "25");
    w_.SetText(Ctl::组合框码率值1, "3000k");
  }

  std::string Log() const { return w_.Text(Ctl::编辑框1日志); }
  bool Recording() const {
    return !w_.Enabled(Ctl::按钮_开始录制) && w_.Enabled(Ctl::按钮_停止录制);
  }
  bool Idle() const { return w_.Enabled(Ctl::按钮_开始录制) && !w_.Enabled(Ctl::按钮_停止录制); }
  int Recorders() const {
    int count = 0;
    for (const SimProcess& p : sim_.RunningProcesses()) count += p.exe_name == "ffmpeg.exe";
    return count;
  }

  std::string start_log_;  // the log as start-up left it
};

TEST_F(RecordingControlTest, RefusesADeviceRecordingWithoutAVideoDevice) {
  w_.SetCaption("before");
  w_.UserClick(Ctl::按钮_开始录制);

  EXPECT_EQ(Log(),
            start_log_ + "\r\n\r\n2.2024年5月1日8时30分15秒\r\n！！！录制失败，请先选择视频设备。");
  EXPECT_EQ(app_.LogCounter, 2);
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogMagenta);
  EXPECT_EQ(w_.Caption(), "Tavonik");
  EXPECT_TRUE(Idle());
  EXPECT_EQ(w_.Period(Ctl::时钟1ffmpeg), 0);
  EXPECT_TRUE(sim_.Commands().empty());
}

TEST_F(RecordingControlTest, RefusalReArmsATickedScheduleAndFreesItsControls) {
  w_.SetChecked(Ctl::选择框_定时录制, true);
  w_.SetEnabled(Ctl::选择框_定时录制, false);
  w_.SetEnabled(Ctl::编辑框定时录制, false);
  StartRecording(app_);
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);
  EXPECT_TRUE(w_.Enabled(Ctl::选择框_定时录制));
  EXPECT_TRUE(w_.Enabled(Ctl::编辑框定时录制));
}

TEST_F(RecordingControlTest, RefusalComesAfterTheNameWasChosen) {
  // The existence tests run first, so a taken name raises the suffix counter even when the start
  // is refused.
  PutFile(".drives/E/show.mp4");
  PutFile(".drives/E/show_0.mp4");
  w_.SetText(Ctl::编辑框_视频路径, "E:\\show.mp4");
  StartRecording(app_);
  EXPECT_EQ(app_.NameSuffixCounter, 1);
  EXPECT_TRUE(sim_.Commands().empty());
}

TEST_F(RecordingControlTest, StartsTheRecorderMinimisedAndLogsItsArguments) {
  UsePullSource();
  w_.SetChecked(Ctl::选择框_定时录制, true);
  w_.SetPeriod(Ctl::时钟1定时录制, 1000);
  SetLogColour(app_, kLogPinkRed);
  StartRecording(app_);

  ASSERT_EQ(sim_.Commands().size(), 1u);
  const std::string& command = sim_.Commands()[0].command_line;
  EXPECT_EQ(sim_.Commands()[0].show, ShowMode::kMinimize);
  ASSERT_EQ(command.rfind(app_.RecorderPath, 0), 0u);
  const std::string args = command.substr(app_.RecorderPath.size());
  EXPECT_EQ(args,
            " -rw_timeout 5000000 -i rtmp://192.0.2.7/live/cam -c copy -r 25 -b:v 3000k -bufsize "
            "3000k 2024年5月1日8时30分15秒.mp4");
  EXPECT_EQ(Log(), start_log_ +
                       "\r\n\r\n2.2024年5月1日8时30分15秒\r\n录制指令发出，ffmpeg.exe窗口将最小化，"
                       "请勿关闭。\r\nffmpeg" +
                       args);
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogWhite);
  EXPECT_EQ(w_.Caption(), "Tavonik");
  EXPECT_TRUE(Recording());
  EXPECT_FALSE(w_.Enabled(Ctl::选择框_定时录制));
  EXPECT_FALSE(w_.Enabled(Ctl::编辑框定时录制));
  EXPECT_EQ(w_.Period(Ctl::时钟1ffmpeg), 1000);
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);  // a running schedule keeps running
  EXPECT_EQ(Recorders(), 1);
}

TEST_F(RecordingControlTest, ARecorderThatCannotStartIsReportedByTheWatchdog) {
  std::filesystem::remove(root_ / "ffmpeg.exe");
  UsePullSource();
  StartRecording(app_);
  EXPECT_EQ(Log(), start_log_);  // the number is used, but no entry is written
  EXPECT_EQ(app_.LogCounter, 2);
  EXPECT_TRUE(Recording());

  sim_.DelayWithEvents(999);
  EXPECT_EQ(Log(), start_log_);
  sim_.DelayWithEvents(1);
  EXPECT_EQ(Log(), start_log_ +
                       "\r\n\r\n\r\n3.2024年5月1日8时30分16秒\r\n！！！录制停止，视频源错误或窗口被"
                       "关闭，请检查");
  EXPECT_EQ(w_.TextColour(Ctl::编辑框1日志), kLogPinkRed);
  EXPECT_EQ(w_.Caption(), "！！！录制停止，视频源错误或窗口被关闭，请检查");
  EXPECT_TRUE(Idle());
  EXPECT_EQ(w_.Period(Ctl::时钟1ffmpeg), 0);
  EXPECT_TRUE(w_.Enabled(Ctl::选择框_定时录制));
  EXPECT_TRUE(w_.Enabled(Ctl::编辑框定时录制));
}

TEST_F(RecordingControlTest, WatchdogStaysQuietWhileTheRecorderWindowLives) {
  UsePullSource();
  StartRecording(app_);
  const std::string log = Log();
  sim_.DelayWithEvents(5000);
  EXPECT_EQ(Log(), log);
  EXPECT_TRUE(Recording());

  sim_.EndProcessByName("ffmpeg.exe");  // the stream broke, or the duration is over
  sim_.DelayWithEvents(1000);
  EXPECT_NE(Log().find("！！！录制停止"), std::string::npos);
  EXPECT_TRUE(Idle());
}

TEST_F(RecordingControlTest, StopClosesTheRecorderWindowAndReturnsToIdle) {
  UsePullSource();
  StartRecording(app_);
  w_.SetChecked(Ctl::选择框_定时录制, true);
  StopRecording(app_);

  EXPECT_EQ(Recorders(), 0);
  EXPECT_TRUE(Log().ends_with("\r\n\r\n3.2024年5月1日8时30分15秒\r\n录制结束，关闭后台程序"));
  EXPECT_TRUE(Idle());
  EXPECT_EQ(w_.Period(Ctl::时钟1ffmpeg), 0);
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);
  EXPECT_TRUE(w_.Enabled(Ctl::选择框_定时录制));
  EXPECT_EQ(w_.Caption(), "Tavonik");  // colour and caption stay as the start left them

  const std::string log = Log();
  sim_.DelayWithEvents(3000);
  EXPECT_EQ(Log(), log);
}

TEST_F(RecordingControlTest, StopWithoutARecorderWindowStillLogsAndReturnsToIdle) {
  StopRecording(app_);
  EXPECT_TRUE(Log().ends_with("\r\n录制结束，关闭后台程序"));
  EXPECT_EQ(app_.LogCounter, 2);
  EXPECT_TRUE(Idle());
}

TEST_F(RecordingControlTest, AnyWindowTitledWithFfmpegExeCountsAsTheRecorder) {
  sim_.AddForeignWindow("FFMPEG.EXE");  // case differs: no match
  sim_.AddForeignWindow("D:\\Tools\\ffmpeg.exe - 记事本");
  UsePullSource();
  StartRecording(app_);
  sim_.EndProcessByName("ffmpeg.exe");
  sim_.DelayWithEvents(3000);
  EXPECT_TRUE(Recording());  // the editor keeps the watchdog quiet

  StopRecording(app_);
  std::vector<std::string> titles;
  for (const SimWindow& w : sim_.AllWindows()) titles.push_back(w.title);
  EXPECT_EQ(titles, std::vector<std::string>{"FFMPEG.EXE"});
}

TEST_F(RecordingControlTest, StopClosesOnlyTheMatchingWindowLastInTheList) {
  UsePullSource();
  StartRecording(app_);
  const uint32_t first = sim_.RunningProcesses()[0].pid;
  w_.SetText(Ctl::编辑框_视频路径, "second.mp4");
  StartRecording(app_);
  ASSERT_EQ(Recorders(), 2);

  StopRecording(app_);
  // The newer console lies on top; the search yields the last match, the older recorder.
  ASSERT_EQ(Recorders(), 1);
  EXPECT_NE(sim_.RunningProcesses()[0].pid, first);
  EXPECT_EQ(w_.Period(Ctl::时钟1ffmpeg), 0);
}

}  // namespace
}  // namespace morvane
