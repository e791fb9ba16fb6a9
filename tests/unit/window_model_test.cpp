#include "app/window_model.h"

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "app/controls.h"
#include "app_fixture.h"
#include "platform/clock.h"

namespace morvane {

// Failure messages name controls by their position in control order.
static void PrintTo(Ctl c, std::ostream* os) { *os << "Ctl#" << static_cast<int>(c); }
static void PrintTo(ControlEvent e, std::ostream* os) { *os << "Event#" << static_cast<int>(e); }

namespace {

using enum Ctl;

// A clock that moves only when the test says so.
class FakeClock : public Clock {
 public:
  DateFields LocalNow() override { return {2024, 5, 1, 8, 30, 15}; }
  int64_t MonotonicMs() override { return now_ms; }
  int64_t now_ms = 0;
};

// One raised event, with the control's state as the handler would see it.
struct Raised {
  Ctl control;
  ControlEvent event;
  int arg;
  std::string text;
  bool checked;
  int selection;
};

class RecordingSink : public EventSink {
 public:
  explicit RecordingSink(const WindowModel& window) : window_(window) {}
  void OnControlEvent(Ctl control, ControlEvent event, int arg) override {
    events.push_back({control, event, arg, window_.Text(control), window_.Checked(control),
                      window_.Selection(control)});
  }
  int Count(Ctl control, ControlEvent event) const {
    int n = 0;
    for (const Raised& r : events) n += r.control == control && r.event == event ? 1 : 0;
    return n;
  }
  std::vector<Raised> events;

 private:
  const WindowModel& window_;
};

class WindowModelTest : public testing::Test {
 protected:
  WindowModelTest() { w_.SetEventSink(&sink_); }

  FakeClock clock_;
  WindowModel w_{clock_, Rect{100, 50, 1000, 800}};
  RecordingSink sink_{w_};
};

std::vector<std::string> Names(const std::vector<Ctl>& controls) {
  std::vector<std::string> names;
  for (Ctl c : controls) names.emplace_back(ControlName(c));
  return names;
}

// ---- The window as created ----

TEST(MainWindowControlsTest, EveryControlSitsAtItsOwnIndex) {
  const std::vector<ControlState> controls = MainWindowControls();
  ASSERT_EQ(static_cast<int>(controls.size()), kControlCount);
  for (int i = 0; i < kControlCount; ++i) {
    EXPECT_EQ(static_cast<int>(controls[i].id), i) << "at index " << i;
  }
}

TEST(MainWindowControlsTest, NamesRoundTrip) {
  for (int i = 0; i < kControlCount; ++i) {
    const Ctl c = static_cast<Ctl>(i);
    const std::optional<Ctl> back = ControlByName(ControlName(c));
    ASSERT_TRUE(back.has_value()) << "index " << i;
    EXPECT_EQ(*back, c);
  }
  EXPECT_EQ(ControlName(编辑框_视频路径), "编辑框_视频路径");
  EXPECT_EQ(ControlByName("组合框帧率"), 组合框帧率);
  EXPECT_EQ(ControlByName("组合框帧"), std::nullopt);
  EXPECT_EQ(ControlByName(""), std::nullopt);
  EXPECT_EQ(ControlByName("单选框RTMP"), std::nullopt);  // names compare exactly
}

TEST_F(WindowModelTest, FindControlsOfKindGivesTheSettingsOrder) {
  EXPECT_EQ(Names(w_.FindControlsOfKind("编辑框")),
            (std::vector<std::string>{"编辑框录制时长", "编辑框定时录制", "编辑框_视频路径",
                                      "编辑框_断流延时", "编辑框_推流地址", "编辑框1日志"}));
  EXPECT_EQ(
      Names(w_.FindControlsOfKind("组合框")),
      (std::vector<std::string>{"组合框反交错场", "组合框码率值2", "组合框码率值1", "组合框选码率",
                                "组合框帧率", "组合框2音频设备", "组合框1视频设备"}));
  EXPECT_EQ(Names(w_.FindControlsOfKind("单选框")),
            (std::vector<std::string>{"单选框设备", "单选框rtmp"}));
  EXPECT_EQ(Names(w_.FindControlsOfKind("选择框")),
            (std::vector<std::string>{"选择框1录制时长", "选择框_定时录制", "选择框2预览",
                                      "选择框反交错"}));
  EXPECT_EQ(w_.FindControlsOfKind("编辑框"), w_.FindControlsOfKind(Kind::kEditBox));
  EXPECT_TRUE(w_.FindControlsOfKind("文本框").empty());
}

TEST_F(WindowModelTest, InitialStates) {
  EXPECT_TRUE(w_.Enabled(按钮_开始录制));
  EXPECT_FALSE(w_.Enabled(按钮_停止录制));
  for (Ctl list : {组合框1视频设备, 组合框2音频设备}) {
    EXPECT_FALSE(w_.Enabled(list));
    EXPECT_EQ(w_.ItemCount(list), 0);
    EXPECT_EQ(w_.Selection(list), -1);
    EXPECT_EQ(w_.Text(list), "");  // the placeholder text never shows
  }

  EXPECT_EQ(w_.Selection(组合框帧率), 1);
  EXPECT_EQ(w_.Text(组合框帧率), "");
  EXPECT_EQ(w_.ItemCount(组合框帧率), 5);
  EXPECT_EQ(w_.ItemText(组合框帧率, 4), "60");
  EXPECT_EQ(w_.ItemValue(组合框帧率, 4), 60);
  EXPECT_EQ(w_.Selection(组合框码率值1), 3);
  EXPECT_EQ(w_.Text(组合框码率值1), "");
  EXPECT_TRUE(w_.Visible(组合框码率值1));
  EXPECT_FALSE(w_.Visible(组合框码率值2));
  EXPECT_FALSE(w_.Visible(透明标签码率箭头));
  EXPECT_EQ(w_.Selection(组合框码率值2), 5);
  EXPECT_EQ(w_.Text(组合框码率值2), "");
  EXPECT_EQ(w_.ItemCount(组合框码率值2), 12);
  EXPECT_EQ(w_.ItemText(组合框码率值2, 11), "20000k");
  EXPECT_EQ(w_.Text(组合框选码率), "固定码率");

  ASSERT_EQ(w_.ItemCount(组合框反交错场), 3);
  const std::array<std::string_view, 3> field_texts = {"上场优先", "下场优先", "自动"};
  const std::array<int32_t, 3> field_values = {0, 1, -1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(w_.ItemText(组合框反交错场, i), field_texts[i]);
    EXPECT_EQ(w_.ItemValue(组合框反交错场, i), field_values[i]);
  }
  EXPECT_EQ(w_.Selection(组合框反交错场), -1);
  EXPECT_EQ(w_.Text(组合框反交错场), "");

  const ControlState& log = w_.Control(编辑框1日志);
  EXPECT_EQ(log.text, "********运行日志*******");
  EXPECT_EQ(w_.TextColour(编辑框1日志), (Rgb{255, 255, 255}));
  EXPECT_EQ(log.back_colour, (Rgb{0, 0, 0}));
  EXPECT_TRUE(log.multi_line);

  EXPECT_EQ(w_.Text(选择框_定时录制), "在" + std::string(40, ' ') + "开始录制");
  EXPECT_EQ(w_.Text(编辑框_视频路径), "默认时间文件名");
  EXPECT_EQ(w_.Text(编辑框_断流延时), "5");
  EXPECT_TRUE(w_.Checked(单选框设备));
  EXPECT_FALSE(w_.Checked(单选框rtmp));
  EXPECT_FALSE(w_.Visible(标签1默认));
  for (Ctl timer : {时钟1ffmpeg, 时钟2ffplay, 时钟1定时录制}) EXPECT_EQ(w_.Period(timer), 0);
  EXPECT_EQ(w_.NextTimerDue(), -1);
  EXPECT_EQ(w_.CurrentTab(选择夹1), 0);
  EXPECT_EQ(w_.Control(选择夹1).tabs,
            (std::vector<std::string>{"运行记录", "输入输出", "视频参数"}));
  EXPECT_EQ(w_.Focus(), std::nullopt);
}

TEST_F(WindowModelTest, CaptionAndPlaceCentredOnTheScreen) {
  EXPECT_EQ(w_.Caption(), "Morvane");
  // Screen 100,50 1000x800: (1000-573)/2 = 213, (800-448)/2 = 176.
  EXPECT_EQ(w_.WindowRect(), (Rect{313, 226, 573, 448}));
}

class StartedWindowTest : public AppFixture {};

TEST_F(StartedWindowTest, StartUpMovesTheLeftEdgeOnly) {
  const Rect centred = w_.WindowRect();
  EXPECT_EQ(centred, (Rect{(1920 - 573) / 2, (1080 - 448) / 2, 573, 448}));
  Start();
  EXPECT_EQ(w_.WindowRect(), (Rect{50, centred.top, 573, 448}));
  EXPECT_EQ(w_.Caption(), "Morvane");
}

// ---- Writes from code ----

TEST_F(WindowModelTest, SetTextOnAnEditBoxRaisesTextChangedOnceWithTheNewText) {
  w_.SetText(编辑框_推流地址, "rtmp://host/x");
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].control, 编辑框_推流地址);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kTextChanged);
  EXPECT_EQ(sink_.events[0].text, "rtmp://host/x");

  // The same text written again is still a write.
  w_.SetText(编辑框_推流地址, "rtmp://host/x");
  EXPECT_EQ(sink_.Count(编辑框_推流地址, ControlEvent::kTextChanged), 2);
}

TEST_F(WindowModelTest, SelectionAndCheckWritesRaiseNothing) {
  w_.SetSelection(组合框选码率, 1);
  w_.SetSelection(组合框帧率, 3);
  w_.SetChecked(选择框反交错, true);
  w_.SetChecked(单选框rtmp, true);
  EXPECT_TRUE(sink_.events.empty());
  // A radio button written from code changes that button alone.
  EXPECT_TRUE(w_.Checked(单选框rtmp));
  EXPECT_TRUE(w_.Checked(单选框设备));
  EXPECT_TRUE(w_.Checked(选择框反交错));
}

struct ClampCase {
  Ctl control;
  int written;
  int expected;
};

TEST_F(WindowModelTest, SetSelectionIsClamped) {
  const ClampCase cases[] = {
      {组合框反交错场, -5, -1}, {组合框反交错场, -1, -1}, {组合框反交错场, 0, 0},
      {组合框反交错场, 2, 2},   {组合框反交错场, 3, 2},   {组合框反交错场, 1000, 2},
      {组合框1视频设备, 0, -1}, {组合框1视频设备, 7, -1}, {组合框1视频设备, -3, -1},
  };
  for (const ClampCase& c : cases) {
    w_.SetSelection(c.control, c.written);
    EXPECT_EQ(w_.Selection(c.control), c.expected) << "written " << c.written;
  }
}

TEST_F(WindowModelTest, EditableComboShowsTheSelectedItem) {
  w_.SetSelection(组合框帧率, 2);
  EXPECT_EQ(w_.Text(组合框帧率), "30");
  w_.SetSelection(组合框帧率, 99);
  EXPECT_EQ(w_.Text(组合框帧率), "60");
  w_.SetSelection(组合框帧率, -1);
  EXPECT_EQ(w_.Text(组合框帧率), "");

  // Its text can be anything, without touching the selection.
  w_.SetSelection(组合框码率值1, 3);
  w_.SetText(组合框码率值1, "3500k");
  EXPECT_EQ(w_.Text(组合框码率值1), "3500k");
  EXPECT_EQ(w_.Selection(组合框码率值1), 3);
  EXPECT_TRUE(sink_.events.empty());
}

TEST_F(WindowModelTest, DropDownListTextIsItsSelectedItem) {
  EXPECT_EQ(w_.Text(组合框选码率), "固定码率");
  w_.SetText(组合框选码率, "别的");
  EXPECT_EQ(w_.Text(组合框选码率), "固定码率");
  w_.SetSelection(组合框选码率, 1);
  EXPECT_EQ(w_.Text(组合框选码率), "波动码率");
  w_.SetSelection(组合框选码率, -1);
  EXPECT_EQ(w_.Text(组合框选码率), "");

  w_.AddItem(组合框1视频设备, "\"USB Camera\"");
  EXPECT_EQ(w_.Text(组合框1视频设备), "");
  w_.SetSelection(组合框1视频设备, 0);
  EXPECT_EQ(w_.Text(组合框1视频设备), "\"USB Camera\"");
  w_.RemoveAllItems(组合框1视频设备);
  EXPECT_EQ(w_.Selection(组合框1视频设备), -1);
  EXPECT_EQ(w_.Text(组合框1视频设备), "");
  EXPECT_TRUE(sink_.events.empty());
}

// ---- Timers ----

TEST_F(WindowModelTest, TimerPeriodRules) {
  clock_.now_ms = 10'000;
  w_.SetPeriod(时钟1ffmpeg, 1000);
  EXPECT_EQ(w_.Period(时钟1ffmpeg), 1000);
  EXPECT_EQ(w_.NextTimerDue(), 11'000);

  // The same period again keeps the running countdown.
  clock_.now_ms = 10'600;
  w_.SetPeriod(时钟1ffmpeg, 1000);
  EXPECT_EQ(w_.NextTimerDue(), 11'000);

  // A different period starts anew from now.
  w_.SetPeriod(时钟1ffmpeg, 2000);
  EXPECT_EQ(w_.NextTimerDue(), 12'600);

  w_.SetPeriod(时钟1ffmpeg, 0);
  EXPECT_EQ(w_.Period(时钟1ffmpeg), 0);
  EXPECT_EQ(w_.NextTimerDue(), -1);
  w_.FireDueTimers(1'000'000);
  EXPECT_TRUE(sink_.events.empty());

  w_.SetPeriod(时钟1ffmpeg, 500);
  w_.SetPeriod(时钟1ffmpeg, -20);
  EXPECT_EQ(w_.Period(时钟1ffmpeg), 0);
  EXPECT_EQ(w_.NextTimerDue(), -1);

  // Starting again after a stop counts from the new start.
  clock_.now_ms = 20'000;
  w_.SetPeriod(时钟1ffmpeg, 1000);
  EXPECT_EQ(w_.NextTimerDue(), 21'000);
}

TEST_F(WindowModelTest, DueTimersFireInTimeOrderAndSkipMissedTicks) {
  // 时钟1定时录制 comes first in control order, but 时钟1ffmpeg is due first.
  w_.SetPeriod(时钟1定时录制, 700);
  w_.SetPeriod(时钟1ffmpeg, 100);
  w_.SetPeriod(时钟2ffplay, 1000);
  EXPECT_EQ(w_.NextTimerDue(), 100);

  w_.FireDueTimers(99);
  EXPECT_TRUE(sink_.events.empty());

  // At 750 the recorder watchdog missed six ticks and the schedule timer is due once.
  w_.FireDueTimers(750);
  ASSERT_EQ(sink_.events.size(), 2u);
  EXPECT_EQ(sink_.events[0].control, 时钟1ffmpeg);
  EXPECT_EQ(sink_.events[1].control, 时钟1定时录制);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kTick);
  EXPECT_EQ(sink_.events[1].event, ControlEvent::kTick);
  // The countdown keeps its phase: next ticks at 800 and 1400.
  EXPECT_EQ(w_.NextTimerDue(), 800);

  sink_.events.clear();
  w_.FireDueTimers(1000);
  ASSERT_EQ(sink_.events.size(), 2u);
  EXPECT_EQ(sink_.events[0].control, 时钟1ffmpeg);  // due 800
  EXPECT_EQ(sink_.events[1].control, 时钟2ffplay);  // due 1000
  EXPECT_EQ(w_.NextTimerDue(), 1100);
}

TEST_F(WindowModelTest, TimerStoppedByAnEarlierTickDoesNotFire) {
  // A handler that stops the other timer, as a watchdog does when it resets the window.
  class StoppingSink : public EventSink {
   public:
    explicit StoppingSink(WindowModel& w) : w_(w) {}
    void OnControlEvent(Ctl control, ControlEvent, int) override {
      fired.push_back(control);
      if (control == 时钟1ffmpeg) w_.SetPeriod(时钟1定时录制, 0);
    }
    std::vector<Ctl> fired;

   private:
    WindowModel& w_;
  } stopping(w_);
  w_.SetEventSink(&stopping);
  w_.SetPeriod(时钟1ffmpeg, 500);
  w_.SetPeriod(时钟1定时录制, 1000);
  w_.FireDueTimers(1000);
  EXPECT_EQ(stopping.fired, (std::vector<Ctl>{时钟1ffmpeg}));
}

// ---- Clicks ----

TEST_F(WindowModelTest, ButtonClickRaisesClicked) {
  EXPECT_TRUE(w_.UserClick(按钮_开始录制));
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].control, 按钮_开始录制);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kClicked);
}

TEST_F(WindowModelTest, CheckBoxTogglesBeforeItsClickedEvent) {
  EXPECT_TRUE(w_.UserClick(选择框反交错));
  EXPECT_TRUE(w_.UserClick(选择框反交错));
  ASSERT_EQ(sink_.events.size(), 2u);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kClicked);
  EXPECT_TRUE(sink_.events[0].checked);
  EXPECT_FALSE(sink_.events[1].checked);
  EXPECT_FALSE(w_.Checked(选择框反交错));
}

TEST_F(WindowModelTest, RadioButtonsFormOneGroup) {
  EXPECT_TRUE(w_.UserClick(单选框rtmp));
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].control, 单选框rtmp);
  EXPECT_TRUE(sink_.events[0].checked);
  EXPECT_TRUE(w_.Checked(单选框rtmp));
  EXPECT_FALSE(w_.Checked(单选框设备));

  // Clicking the checked one raises clicked again and changes nothing.
  EXPECT_TRUE(w_.UserClick(单选框rtmp));
  EXPECT_EQ(sink_.Count(单选框rtmp, ControlEvent::kClicked), 2);
  EXPECT_TRUE(w_.Checked(单选框rtmp));

  EXPECT_TRUE(w_.UserClick(单选框设备));
  EXPECT_TRUE(w_.Checked(单选框设备));
  EXPECT_FALSE(w_.Checked(单选框rtmp));
  // Check boxes are no part of the group.
  EXPECT_FALSE(w_.Checked(选择框反交错));
}

TEST_F(WindowModelTest, LabelRaisesLeftButtonReleasedOnceShown) {
  EXPECT_FALSE(w_.UserClick(标签1默认));  // hidden at creation
  EXPECT_TRUE(sink_.events.empty());
  w_.SetVisible(标签1默认, true);
  EXPECT_TRUE(w_.UserClick(标签1默认));
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kLeftButtonReleased);
}

TEST_F(WindowModelTest, DisabledOrHiddenControlsRefuseInput) {
  EXPECT_FALSE(w_.UserClick(按钮_停止录制));  // disabled
  w_.SetEnabled(选择框反交错, false);
  EXPECT_FALSE(w_.UserClick(选择框反交错));
  EXPECT_FALSE(w_.Checked(选择框反交错));
  w_.SetVisible(单选框rtmp, false);
  EXPECT_FALSE(w_.UserClick(单选框rtmp));
  EXPECT_TRUE(w_.Checked(单选框设备));
  EXPECT_FALSE(w_.UserType(组合框码率值2, "1"));  // hidden
  EXPECT_FALSE(w_.UserReplaceText(组合框码率值2, "1"));
  EXPECT_FALSE(w_.UserSelectItem(组合框1视频设备, 0));  // disabled and empty
  w_.SetEnabled(编辑框_推流地址, false);
  EXPECT_FALSE(w_.UserType(编辑框_推流地址, "x"));
  EXPECT_EQ(w_.Text(编辑框_推流地址), "rtmp://127.0.0.1/lumo/zhibo");
  EXPECT_TRUE(sink_.events.empty());
  EXPECT_EQ(w_.Focus(), std::nullopt);
}

TEST_F(WindowModelTest, UserSelectItemRaisesWithTheChoiceInPlace) {
  EXPECT_TRUE(w_.UserSelectItem(组合框选码率, 1));
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kListItemSelected);
  EXPECT_EQ(sink_.events[0].selection, 1);
  EXPECT_EQ(sink_.events[0].text, "波动码率");
  EXPECT_FALSE(w_.UserSelectItem(组合框选码率, 2));
  EXPECT_EQ(w_.Selection(组合框选码率), 1);
}

// ---- Typing ----

struct TypeCase {
  const char* name;
  Ctl control;
  std::string start;
  std::string typed;
  std::string expected;
  int text_changed;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }

class UserTypeTest : public WindowModelTest, public testing::WithParamInterface<TypeCase> {};

TEST_P(UserTypeTest, FiltersByInputKind) {
  const TypeCase& c = GetParam();
  w_.SetText(c.control, c.start);
  sink_.events.clear();
  EXPECT_TRUE(w_.UserType(c.control, c.typed));
  EXPECT_EQ(w_.Text(c.control), c.expected);
  EXPECT_EQ(sink_.Count(c.control, ControlEvent::kTextChanged), c.text_changed);
  EXPECT_EQ(static_cast<int>(sink_.events.size()), c.text_changed);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UserTypeTest,
    testing::Values(
        TypeCase{"IntegerKeepsDigitsAndMinus", 编辑框_断流延时, "", "ab1c2-", "12-", 3},
        TypeCase{"IntegerRefusesPointAndBlank", 编辑框_断流延时, "5", ". 0", "50", 1},
        TypeCase{"IntegerRefusesFullWidthDigit", 编辑框_断流延时, "", "１", "", 0},
        TypeCase{"DecimalAcceptsPoint", 编辑框录制时长, "", "x1.5分", "1.5", 3},
        TypeCase{"DecimalNegative", 编辑框录制时长, "", "-0.25", "-0.25", 5},
        TypeCase{"DecimalBackspacePasses", 编辑框录制时长, "60", "\b", "6", 1},
        TypeCase{"OrdinaryTakesAnything", 编辑框_视频路径, "", "a中.mp4", "a中.mp4", 6},
        TypeCase{"DateTimeTypingIsFree", 编辑框定时录制, "", "2022年", "2022年", 5},
        TypeCase{"BackspaceRemovesDoubleByteCharacter", 编辑框_视频路径, "ab中", "\b", "ab", 1},
        TypeCase{"BackspaceAfterAsciiAfterChinese", 编辑框_视频路径, "中a", "\b\b", "", 2},
        TypeCase{"BackspaceOnEmptyTextDoesNothing", 编辑框_视频路径, "", "\b", "", 0},
        TypeCase{"EnterIgnoredInSingleLine", 编辑框_视频路径, "a", "\r", "a", 0},
        TypeCase{"EnterBreaksLineInLog", 编辑框1日志, "a", "\rb", "a\r\nb", 2},
        TypeCase{"EditableComboTakesAnything", 组合框码率值1, "", "35k", "35k", 3}),
    [](const testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

TEST_F(WindowModelTest, TypingMovesTheFocus) {
  EXPECT_TRUE(w_.UserType(编辑框_推流地址, "x"));
  EXPECT_EQ(w_.Focus(), 编辑框_推流地址);
}

TEST_F(WindowModelTest, UserReplaceTextIsOneUnfilteredEdit) {
  EXPECT_TRUE(w_.UserReplaceText(编辑框_断流延时, "abc"));
  EXPECT_EQ(w_.Text(编辑框_断流延时), "abc");
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kTextChanged);
  EXPECT_EQ(sink_.events[0].text, "abc");
  EXPECT_EQ(w_.Focus(), 编辑框_断流延时);

  // A drop-down list has no text to edit.
  EXPECT_FALSE(w_.UserReplaceText(组合框选码率, "波动码率"));
  EXPECT_EQ(w_.Selection(组合框选码率), 0);
}

TEST_F(WindowModelTest, EditedComboTextSelectsTheMatchingItemOrNone) {
  EXPECT_TRUE(w_.UserReplaceText(组合框帧率, "30"));
  EXPECT_EQ(w_.Selection(组合框帧率), 2);
  EXPECT_EQ(w_.Text(组合框帧率), "30");
  EXPECT_TRUE(w_.UserReplaceText(组合框帧率, "31"));
  EXPECT_EQ(w_.Selection(组合框帧率), -1);
  EXPECT_EQ(w_.Text(组合框帧率), "31");
  EXPECT_TRUE(w_.UserReplaceText(组合框帧率, "3"));  // a prefix is no match
  EXPECT_EQ(w_.Selection(组合框帧率), -1);
  EXPECT_TRUE(w_.UserReplaceText(组合框码率值1, "20000k"));
  EXPECT_EQ(w_.Selection(组合框码率值1), 11);
  EXPECT_TRUE(w_.UserReplaceText(组合框码率值1, "20000K"));  // exact bytes only
  EXPECT_EQ(w_.Selection(组合框码率值1), -1);
}

// ---- The date-time box ----

struct FocusCase {
  const char* name;
  std::string text;
  std::string expected;
  bool changed;
};

void PrintTo(const FocusCase& c, std::ostream* os) { *os << c.name; }

class DateTimeFocusTest : public WindowModelTest, public testing::WithParamInterface<FocusCase> {};

TEST_P(DateTimeFocusTest, LeavingTheBoxRewritesItsText) {
  const FocusCase& c = GetParam();
  ASSERT_TRUE(w_.UserReplaceText(编辑框定时录制, c.text));
  sink_.events.clear();
  EXPECT_TRUE(w_.UserFocusOut(编辑框定时录制));
  EXPECT_EQ(w_.Text(编辑框定时录制), c.expected);
  EXPECT_EQ(sink_.Count(编辑框定时录制, ControlEvent::kTextChanged), c.changed ? 1 : 0);
  EXPECT_EQ(w_.Focus(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DateTimeFocusTest,
    testing::Values(FocusCase{"FourteenDigits", "20221105090503", "2022年11月5日9时5分3秒", true},
                    FocusCase{"Joined", "2022-11-05 09:05:03", "2022年11月5日9时5分3秒", true},
                    FocusCase{"Garbage", "garbage", "", true},
                    FocusCase{"ZeroValue", "1899-12-30", "", true},
                    FocusCase{"AlreadyInForm", "2022年11月5日9时5分3秒", "2022年11月5日9时5分3秒",
                              false},
                    FocusCase{"EmptyStaysEmpty", "", "", false}),
    [](const testing::TestParamInfo<FocusCase>& info) { return std::string(info.param.name); });

TEST_F(WindowModelTest, FocusToAnotherControlRewritesTheDateTimeBox) {
  ASSERT_TRUE(w_.UserType(编辑框定时录制, "2022.11.05.09.05.03"));
  EXPECT_EQ(w_.Focus(), 编辑框定时录制);
  sink_.events.clear();

  EXPECT_TRUE(w_.UserClick(编辑框录制时长));
  EXPECT_EQ(w_.Focus(), 编辑框录制时长);
  EXPECT_EQ(w_.Text(编辑框定时录制), "2022年11月5日9时5分3秒");
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].control, 编辑框定时录制);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kTextChanged);
  EXPECT_EQ(sink_.events[0].text, "2022年11月5日9时5分3秒");
}

TEST_F(WindowModelTest, FocusToTheWindowRewritesTheDateTimeBox) {
  ASSERT_TRUE(w_.UserType(编辑框定时录制, "nonsense"));
  w_.FocusWindow();
  EXPECT_EQ(w_.Focus(), std::nullopt);
  EXPECT_EQ(w_.Text(编辑框定时录制), "");
}

TEST_F(WindowModelTest, OtherBoxesKeepTheirTextWhenLeft) {
  ASSERT_TRUE(w_.UserType(编辑框录制时长, "1.2.3"));
  sink_.events.clear();
  EXPECT_TRUE(w_.UserClick(编辑框_推流地址));
  EXPECT_EQ(w_.Text(编辑框录制时长), "1.2.3");
  EXPECT_TRUE(sink_.events.empty());
}

TEST_F(WindowModelTest, KeyReleasedCarriesTheKeyCode) {
  EXPECT_TRUE(w_.UserKeyUp(编辑框定时录制, 13));
  ASSERT_EQ(sink_.events.size(), 1u);
  EXPECT_EQ(sink_.events[0].event, ControlEvent::kKeyReleased);
  EXPECT_EQ(sink_.events[0].arg, 13);
}

TEST_F(WindowModelTest, TabSelectionRaisesTabChangedOnChange) {
  EXPECT_TRUE(w_.UserSelectTab(2));
  EXPECT_EQ(w_.CurrentTab(选择夹1), 2);
  EXPECT_EQ(sink_.Count(选择夹1, ControlEvent::kTabChanged), 1);
  EXPECT_FALSE(w_.UserSelectTab(3));
  EXPECT_FALSE(w_.UserSelectTab(-1));
  EXPECT_EQ(w_.CurrentTab(选择夹1), 2);
}

}  // namespace
}  // namespace morvane
