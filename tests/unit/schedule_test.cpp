#include "recording/schedule.h"

#include <gtest/gtest.h>

#include "app_fixture.h"

namespace morvane {
namespace {

class ScheduleTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    sim_.SetLocalTime({2022, 11, 5, 9, 5, 0});
    Start();
    // A pulled stream, so that a start is not refused.
    w_.SetChecked(Ctl::单选框设备, false);
    w_.SetChecked(Ctl::单选框rtmp, true);
  }

  void Arm(const std::string& time) {
    w_.SetText(Ctl::编辑框定时录制, time);
    w_.UserClick(Ctl::选择框_定时录制);
  }

  std::string Log() const { return w_.Text(Ctl::编辑框1日志); }
  std::size_t Starts() const { return sim_.Commands().size(); }
};

TEST_F(ScheduleTest, TickingTheBoxArmsTheTimerAndUntickingStopsIt) {
  w_.UserClick(Ctl::选择框_定时录制);
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);
  sim_.DelayWithEvents(1000);
  EXPECT_EQ(w_.Caption(), "2022年11月5日9时5分1秒");

  w_.UserClick(Ctl::选择框_定时录制);
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 0);
  EXPECT_EQ(w_.Caption(), "Tavonik");
  sim_.DelayWithEvents(3000);
  EXPECT_EQ(w_.Caption(), "Tavonik");
}

TEST_F(ScheduleTest, FiresOnTheTickWithinTheScheduledSecond) {
  Arm("2022年11月5日9时5分3秒");
  sim_.DelayWithEvents(2000);
  EXPECT_EQ(Starts(), 0u);
  EXPECT_EQ(w_.Caption(), "2022年11月5日9时5分2秒");

  sim_.DelayWithEvents(1000);
  ASSERT_EQ(Starts(), 1u);
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 0);
  EXPECT_EQ(w_.Caption(), "定时录制进行中……");
  // The banner line, then the Record action's own entry.
  const std::size_t banner = Log().find("\r\n\r\n    ****定时录制任务启动****\r\n\r\n2.");
  ASSERT_NE(banner, std::string::npos);
  EXPECT_NE(Log().find("录制指令发出", banner), std::string::npos);

  sim_.DelayWithEvents(5000);
  EXPECT_EQ(Starts(), 1u);
  EXPECT_EQ(w_.Caption(), "定时录制进行中……");
}

TEST_F(ScheduleTest, EveryAcceptedFormFiresAtTheSameSecond) {
  for (const char* time :
       {"20221105090503", "2022-11-05 09:05:03", "２０２２．１１．５ ９：５：３"}) {
    SCOPED_TRACE(time);
    sim_.SetLocalTime({2022, 11, 5, 9, 5, 0});
    const std::size_t before = Starts();
    Arm(time);
    sim_.DelayWithEvents(3000);
    EXPECT_EQ(Starts(), before + 1);
    w_.UserClick(Ctl::按钮_停止录制);
    w_.UserClick(Ctl::选择框_定时录制);  // untick
  }
}

TEST_F(ScheduleTest, TextThatIsNoTimeOrATimePastNeverFires) {
  for (const char* time : {"", "not a time", "2022-11-05 09:04:59"}) {
    SCOPED_TRACE(time);
    Arm(time);
    sim_.DelayWithEvents(10000);
    EXPECT_EQ(Starts(), 0u);
    EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);
    w_.UserClick(Ctl::选择框_定时录制);
  }
}

TEST_F(ScheduleTest, StartsASecondRecorderBesideAManualOne) {
  Arm("2022-11-05 09:05:03");
  w_.UserClick(Ctl::按钮_开始录制);
  EXPECT_FALSE(w_.Enabled(Ctl::选择框_定时录制));
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);

  w_.SetText(Ctl::编辑框_视频路径, "other.mp4");
  sim_.DelayWithEvents(3000);
  EXPECT_EQ(Starts(), 2u);
  EXPECT_EQ(sim_.RunningProcesses().size(), 2u);
}

TEST_F(ScheduleTest, AfterStopTheClockResumesButThePastTimeNeverFiresAgain) {
  Arm("2022-11-05 09:05:03");
  sim_.DelayWithEvents(3000);
  ASSERT_EQ(Starts(), 1u);
  w_.UserClick(Ctl::按钮_停止录制);
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);
  sim_.DelayWithEvents(1000);
  EXPECT_EQ(w_.Caption(), "2022年11月5日9时5分4秒");
  sim_.DelayWithEvents(10000);
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(ScheduleTest, ARefusedScheduledStartIsNotRetried) {
  w_.SetChecked(Ctl::单选框rtmp, false);
  w_.SetChecked(Ctl::单选框设备, true);  // no video device
  Arm("2022-11-05 09:05:03");
  sim_.DelayWithEvents(3000);
  EXPECT_EQ(Starts(), 0u);
  EXPECT_NE(Log().find("！！！录制失败"), std::string::npos);
  EXPECT_EQ(w_.Caption(), "定时录制进行中……");
  EXPECT_EQ(w_.Period(Ctl::时钟1定时录制), 1000);  // re-armed by the refusal
  sim_.DelayWithEvents(1000);
  EXPECT_EQ(w_.Caption(), "2022年11月5日9时5分4秒");
}

TEST_F(ScheduleTest, EnterInTheTimeBoxRewritesItAndOtherKeysDoNot) {
  w_.UserReplaceText(Ctl::编辑框定时录制, "20221105090503");
  w_.UserKeyUp(Ctl::编辑框定时录制, 65);
  EXPECT_EQ(w_.Text(Ctl::编辑框定时录制), "20221105090503");
  w_.UserKeyUp(Ctl::编辑框定时录制, 13);
  EXPECT_EQ(w_.Text(Ctl::编辑框定时录制), "2022年11月5日9时5分3秒");
  EXPECT_FALSE(w_.Focus().has_value());
}

}  // namespace
}  // namespace morvane
