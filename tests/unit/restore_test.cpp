#include "settings/restore.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app_fixture.h"
#include "settings/settings_files.h"

namespace morvane {
namespace {

using enum Ctl;

class RestoreTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }

  // Import settings with this conf.ini.
  void Import(const std::string& conf) {
    PutFile("conf.ini", conf);
    ASSERT_TRUE(w_.UserClick(按钮1导入));
  }

  bool DeviceSideShown() const {
    return w_.Visible(组合框1视频设备) && w_.Visible(组合框2音频设备) &&
           !w_.Visible(编辑框_推流地址) && !w_.Visible(编辑框_断流延时) && !w_.Visible(透明标签1) &&
           !w_.Visible(透明标签4);
  }
  bool PullSideShown() const {
    return !w_.Visible(组合框1视频设备) && !w_.Visible(组合框2音频设备) &&
           w_.Visible(编辑框_推流地址) && w_.Visible(编辑框_断流延时) && w_.Visible(透明标签1) &&
           w_.Visible(透明标签4);
  }
};

TEST_F(RestoreTest, AFirstStartShowsTheDefaults) {
  EXPECT_EQ(w_.Text(组合框帧率), "25");
  EXPECT_EQ(w_.Selection(组合框帧率), 1);
  EXPECT_EQ(w_.Text(组合框选码率), "固定码率");
  EXPECT_EQ(w_.Selection(组合框选码率), 0);
  EXPECT_EQ(w_.Text(组合框码率值1), "3000k");
  EXPECT_EQ(w_.Selection(组合框码率值1), 2);
  EXPECT_EQ(w_.Text(组合框码率值2), "4000k");
  EXPECT_EQ(w_.Selection(组合框码率值2), 3);
  EXPECT_FALSE(w_.Visible(组合框码率值2));
  EXPECT_FALSE(w_.Visible(透明标签码率箭头));
  EXPECT_EQ(w_.Text(组合框反交错场), "");
  EXPECT_EQ(w_.Selection(组合框反交错场), -1);
  EXPECT_EQ(w_.Text(编辑框录制时长), "60");
  EXPECT_EQ(w_.Text(编辑框定时录制), "2024年5月1日8时30分15秒");
  EXPECT_EQ(w_.Period(时钟1定时录制), 0);
  EXPECT_EQ(app_.DurationArg, "");
  EXPECT_TRUE(DeviceSideShown());
  EXPECT_TRUE(w_.Visible(透明标签3));
}

TEST_F(RestoreTest, TheCheckedSourceDecidesWhichControlsShow) {
  w_.SetChecked(单选框设备, false);
  w_.SetChecked(单选框rtmp, true);
  ApplyRestoredSettings(app_);
  EXPECT_TRUE(PullSideShown());

  w_.SetChecked(单选框设备, true);
  w_.SetChecked(单选框rtmp, false);
  ApplyRestoredSettings(app_);
  EXPECT_TRUE(DeviceSideShown());

  // Both checked: the pull side is applied last and wins.
  w_.SetChecked(单选框rtmp, true);
  ApplyRestoredSettings(app_);
  EXPECT_TRUE(PullSideShown());
}

TEST_F(RestoreTest, NeitherSourceCheckedLeavesVisibilityAsItWas) {
  w_.SetChecked(单选框设备, false);
  w_.SetVisible(组合框1视频设备, false);
  w_.SetVisible(编辑框_推流地址, true);
  ApplyRestoredSettings(app_);
  EXPECT_FALSE(w_.Visible(组合框1视频设备));
  EXPECT_TRUE(w_.Visible(组合框2音频设备));
  EXPECT_TRUE(w_.Visible(编辑框_推流地址));
  EXPECT_FALSE(w_.Visible(编辑框_断流延时));
}

TEST_F(RestoreTest, TheBitrateModeShowsOrHidesTheMaximumBitrate) {
  Import("[组合框]\r\n组合框选码率=固定码率<|>0<||>波动码率<|>0<||>1<|>波动码率\r\n");
  EXPECT_TRUE(w_.Visible(组合框码率值2));
  EXPECT_TRUE(w_.Visible(透明标签码率箭头));

  Import("[组合框]\r\n组合框选码率=固定码率<|>0<||>波动码率<|>0<||>0<|>固定码率\r\n");
  EXPECT_FALSE(w_.Visible(组合框码率值2));
  EXPECT_FALSE(w_.Visible(透明标签码率箭头));
}

TEST_F(RestoreTest, TheBitrateModeIsTakenBeforeItsDefaultIsSelected) {
  // Stored with nothing selected: hidden, then the default item 0 is selected.
  w_.SetVisible(组合框码率值2, true);
  w_.SetVisible(透明标签码率箭头, true);
  Import("[组合框]\r\n组合框选码率=固定码率<|>0<||>波动码率<|>0<||>-1<|>\r\n");
  EXPECT_FALSE(w_.Visible(组合框码率值2));
  EXPECT_FALSE(w_.Visible(透明标签码率箭头));
  EXPECT_EQ(w_.Selection(组合框选码率), 0);
}

TEST_F(RestoreTest, CombosWithoutTextGetTheirDefaultIndexInTheStoredList) {
  Import(
      "[组合框]\r\n"
      "组合框帧率=a<|>1<||>b<|>2<||>-1<|>\r\n"
      "组合框码率值1=x<|>0<||>y<|>0<||>-1<|>\r\n"
      "组合框码率值2=p<|>0<||>0<|>\r\n");
  // Index 1 is the second of two items; index 2 and 3 select the last item.
  EXPECT_EQ(w_.Selection(组合框帧率), 1);
  EXPECT_EQ(w_.Text(组合框帧率), "b");
  EXPECT_EQ(w_.Selection(组合框码率值1), 1);
  EXPECT_EQ(w_.Text(组合框码率值1), "y");
  EXPECT_EQ(w_.Selection(组合框码率值2), 0);
  EXPECT_EQ(w_.Text(组合框码率值2), "p");
}

TEST_F(RestoreTest, CombosWithTextAreLeftAloneEvenWithoutSelection) {
  Import(
      "[组合框]\r\n"
      "组合框帧率=15<|>15<||>25<|>25<||>-1<|>29.97\r\n"
      "组合框码率值1=-1<|>\r\n");
  EXPECT_EQ(w_.Selection(组合框帧率), -1);
  EXPECT_EQ(w_.Text(组合框帧率), "29.97");
  // Without items nothing can be selected, and the text stays empty.
  EXPECT_EQ(w_.Selection(组合框码率值1), -1);
  EXPECT_EQ(w_.Text(组合框码率值1), "");
}

TEST_F(RestoreTest, TheScheduleBoxShowsTheMomentOfTheLoadAndATickedBoxArmsTheTimer) {
  sim_.SetLocalTime({2024, 6, 2, 21, 5, 9});
  Import("[编辑框]\r\n编辑框定时录制=2030年1月1日0时0分1秒\r\n[选择框]\r\n选择框_定时录制=真\r\n");
  EXPECT_EQ(w_.Text(编辑框定时录制), "2024年6月2日21时5分9秒");
  EXPECT_EQ(w_.Period(时钟1定时录制), 1000);

  Import("[选择框]\r\n选择框_定时录制=假\r\n");
  EXPECT_EQ(w_.Period(时钟1定时录制), 0);
}

struct DurationCase {
  std::string_view name;
  bool limit;
  std::string_view minutes;
  std::string_view minutes_after;
  std::string_view duration_arg;
};

class DurationRestoreTest : public RestoreTest,
                            public ::testing::WithParamInterface<DurationCase> {};

TEST_P(DurationRestoreTest, ComposesTheDurationFragment) {
  const DurationCase& c = GetParam();
  w_.SetChecked(选择框1录制时长, c.limit);
  w_.SetText(编辑框录制时长, std::string(c.minutes));
  ApplyRestoredSettings(app_);
  EXPECT_EQ(w_.Text(编辑框录制时长), c.minutes_after);
  EXPECT_EQ(app_.DurationArg, c.duration_arg);
}

INSTANTIATE_TEST_SUITE_P(Boxes, DurationRestoreTest,
                         ::testing::Values(DurationCase{"Ninety", true, "90", "90", " -t 5400"},
                                           DurationCase{"EmptyCountsAsSixty", true, "", "60",
                                                        " -t 3600"},
                                           DurationCase{"Decimal", true, "1.5", "1.5", " -t 90"},
                                           DurationCase{"NotLimited", false, "90", "90", ""},
                                           DurationCase{"NotLimitedEmpty", false, "", "60", ""}),
                         [](const ::testing::TestParamInfo<DurationCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(RestoreTest, ALoadedLimitIsComposedFromTheLoadedMinutes) {
  Import("[编辑框]\r\n编辑框录制时长=90\r\n[选择框]\r\n选择框1录制时长=真\r\n");
  EXPECT_EQ(app_.DurationArg, " -t 5400");
}

TEST_F(RestoreTest, ImportWithoutConfIniStillResetsTheScheduleBoxAndTheDuration) {
  // Written from code: no click composed the fragment yet.
  w_.SetChecked(选择框1录制时长, true);
  w_.SetText(编辑框录制时长, "2");
  w_.SetText(编辑框定时录制, "");
  sim_.SetLocalTime({2024, 5, 1, 9, 0, 0});
  ASSERT_EQ(app_.DurationArg, "");
  ASSERT_TRUE(w_.UserClick(按钮1导入));
  EXPECT_EQ(app_.DurationArg, " -t 120");
  EXPECT_EQ(w_.Text(编辑框定时录制), "2024年5月1日9时");
  EXPECT_EQ(w_.Text(编辑框录制时长), "2");
}

TEST_F(RestoreTest, ChangesNothingElse) {
  w_.SetCaption("caption");
  w_.SetEnabled(按钮_开始录制, false);
  w_.SetEnabled(组合框帧率, false);
  w_.SetText(编辑框_视频路径, "E:\\show.mp4");
  w_.AddItem(组合框1视频设备, "\"USB Camera\"");
  const std::string log = w_.Text(编辑框1日志);
  const bool label_visible = w_.Visible(标签1默认);
  ApplyRestoredSettings(app_);
  EXPECT_EQ(w_.Caption(), "caption");
  EXPECT_FALSE(w_.Enabled(按钮_开始录制));
  EXPECT_FALSE(w_.Enabled(组合框帧率));
  EXPECT_TRUE(w_.Enabled(组合框1视频设备));
  EXPECT_EQ(w_.Text(编辑框_视频路径), "E:\\show.mp4");
  EXPECT_EQ(w_.Visible(标签1默认), label_visible);
  EXPECT_EQ(w_.ItemCount(组合框1视频设备), 1);
  EXPECT_EQ(w_.Selection(组合框1视频设备), -1);
  EXPECT_EQ(w_.Text(编辑框1日志), log);
  EXPECT_FALSE(w_.Checked(选择框2预览));
}

}  // namespace
}  // namespace morvane
