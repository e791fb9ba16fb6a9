// The window model's change notifications, which front-ends mirror the window by.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_model.h"
#include "app_fixture.h"
#include "platform/clock.h"

namespace morvane {

static void PrintTo(Ctl c, std::ostream* os) { *os << "Ctl#" << static_cast<int>(c); }

namespace {

using enum Ctl;
using P = ModelProperty;

class FakeClock : public Clock {
 public:
  DateFields LocalNow() override { return {2024, 5, 1, 8, 30, 15}; }
  int64_t MonotonicMs() override { return now_ms; }
  int64_t now_ms = 0;
};

// Notifications and raised events in the order they came, so that a test can see which came
// first; a notification also keeps the state the observer could read at that moment.
struct Note {
  std::optional<Ctl> control;
  std::optional<P> property;          // none: a raised event
  std::optional<ControlEvent> event;  // none: a notification
  std::string appended;               // OnTextAppended's text
  std::string text;                   // the control's text when it came
  friend bool operator==(const Note&, const Note&) = default;
};

void PrintTo(const Note& n, std::ostream* os) {
  *os << "{";
  if (n.control) PrintTo(*n.control, os);
  if (n.property) *os << " property " << static_cast<int>(*n.property);
  if (n.event) *os << " event " << static_cast<int>(*n.event);
  if (!n.appended.empty()) *os << " appended";
  *os << "}";
}

Note Changed(std::optional<Ctl> c, P what) { return {c, what, std::nullopt, {}, {}}; }
Note Raised(Ctl c, ControlEvent event) { return {c, std::nullopt, event, {}, {}}; }

class Recorder : public ModelObserver, public EventSink {
 public:
  explicit Recorder(const WindowModel& w) : w_(w) {}
  void OnModelChanged(std::optional<Ctl> control, P what) override {
    notes.push_back(Changed(control, what));
  }
  void OnTextAppended(Ctl control, std::string_view text) override {
    notes.push_back({control, P::kText, std::nullopt, std::string(text), w_.Text(control)});
  }
  void OnControlEvent(Ctl control, ControlEvent event, int) override {
    notes.push_back(Raised(control, event));
  }
  // The notifications alone, without the texts they saw.
  std::vector<Note> Changes() const {
    std::vector<Note> changes;
    for (const Note& n : notes) {
      if (n.property && n.appended.empty()) changes.push_back(Changed(n.control, *n.property));
    }
    return changes;
  }
  std::vector<Note> notes;

 private:
  const WindowModel& w_;
};

class ModelObserverTest : public testing::Test {
 protected:
  ModelObserverTest() {
    w_.SetObserver(&recorder_);
    w_.SetEventSink(&recorder_);
  }

  FakeClock clock_;
  WindowModel w_{clock_, Rect{0, 0, 1280, 1024}};
  Recorder recorder_{w_};
};

// ---- Writes from code ----

struct WriteCase {
  const char* name;
  std::function<void(WindowModel&)> write;
  std::optional<Ctl> control;
  P property;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class CodeWriteTest : public ModelObserverTest, public testing::WithParamInterface<WriteCase> {};

TEST_P(CodeWriteTest, NotifiesOnceWhenTheStateChangesAndNotForTheSameValue) {
  const WriteCase& c = GetParam();
  c.write(w_);
  EXPECT_EQ(recorder_.Changes(), (std::vector<Note>{Changed(c.control, c.property)}));
  recorder_.notes.clear();
  c.write(w_);
  EXPECT_TRUE(recorder_.Changes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Writes, CodeWriteTest,
    testing::Values(WriteCase{"Caption", [](WindowModel& w) { w.SetCaption("Tavonik"); },
                              std::nullopt, P::kCaption},
                    WriteCase{"LeftEdge", [](WindowModel& w) { w.SetWindowLeft(50); }, std::nullopt,
                              P::kWindowRect},
                    WriteCase{"Visible", [](WindowModel& w) { w.SetVisible(标签1默认, true); },
                              标签1默认, P::kVisible},
                    WriteCase{"Enabled", [](WindowModel& w) { w.SetEnabled(按钮_开始录制, false); },
                              按钮_开始录制, P::kEnabled},
                    WriteCase{"Checked", [](WindowModel& w) { w.SetChecked(选择框2预览, true); },
                              选择框2预览, P::kChecked},
                    WriteCase{"TextColour",
                              [](WindowModel& w) {
                                w.SetTextColour(编辑框1日志, {255, 80, 128});
                              },
                              编辑框1日志, P::kTextColour},
                    WriteCase{"DropDownSelection",
                              [](WindowModel& w) { w.SetSelection(组合框选码率, 1); }, 组合框选码率,
                              P::kSelection},
                    WriteCase{"Period", [](WindowModel& w) { w.SetPeriod(时钟1ffmpeg, 1000); },
                              时钟1ffmpeg, P::kPeriod},
                    WriteCase{"Background",
                              [](WindowModel& w) {
                                w.SetFillBackground(选择夹1, true, Rgb{1, 2, 3});
                              },
                              选择夹1, P::kBackground},
                    WriteCase{"LabelText", [](WindowModel& w) { w.SetText(按钮_开始录制, "开始"); },
                              按钮_开始录制, P::kText}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST_F(ModelObserverTest, EditTextIsInPlaceBeforeItsTextChangedEvent) {
  w_.SetText(编辑框_推流地址, "rtmp://a/b");
  ASSERT_EQ(recorder_.notes.size(), 2u);
  EXPECT_EQ(recorder_.notes[0], Changed(编辑框_推流地址, P::kText));
  EXPECT_EQ(recorder_.notes[1], Raised(编辑框_推流地址, ControlEvent::kTextChanged));

  // Writing the same text again still raises the event, but nothing changed to mirror.
  recorder_.notes.clear();
  w_.SetText(编辑框_推流地址, "rtmp://a/b");
  EXPECT_EQ(recorder_.notes,
            (std::vector<Note>{Raised(编辑框_推流地址, ControlEvent::kTextChanged)}));
}

TEST_F(ModelObserverTest, AppendNamesTheAddedTextAfterItIsInPlace) {
  w_.AppendText(编辑框1日志, "\r\n1.第一条");
  ASSERT_EQ(recorder_.notes.size(), 2u);
  EXPECT_EQ(recorder_.notes[0].control, 编辑框1日志);
  EXPECT_EQ(recorder_.notes[0].appended, "\r\n1.第一条");
  EXPECT_EQ(recorder_.notes[0].text, "********运行日志*******\r\n1.第一条");
  EXPECT_EQ(recorder_.notes[1], Raised(编辑框1日志, ControlEvent::kTextChanged));
}

TEST_F(ModelObserverTest, AnObserverWithoutAppendHandlingIsToldTheTextChanged) {
  struct Plain : ModelObserver {
    void OnModelChanged(std::optional<Ctl> control, P what) override {
      seen.push_back(Changed(control, what));
    }
    std::vector<Note> seen;
  } plain;
  w_.SetObserver(&plain);
  w_.AppendText(编辑框1日志, "x");
  EXPECT_EQ(plain.seen, (std::vector<Note>{Changed(编辑框1日志, P::kText)}));
}

TEST_F(ModelObserverTest, EditableComboSelectionBringsItsText) {
  w_.SetSelection(组合框帧率, 1);  // already selected, but its text part is empty
  EXPECT_EQ(recorder_.Changes(), (std::vector<Note>{Changed(组合框帧率, P::kText)}));
  EXPECT_EQ(w_.Text(组合框帧率), "25");

  recorder_.notes.clear();
  w_.SetSelection(组合框帧率, 3);
  EXPECT_EQ(recorder_.Changes(),
            (std::vector<Note>{Changed(组合框帧率, P::kSelection), Changed(组合框帧率, P::kText)}));
}

TEST_F(ModelObserverTest, ItemListChanges) {
  w_.AddItem(组合框1视频设备, "\"USB Camera\"");
  w_.SetSelection(组合框1视频设备, 0);
  EXPECT_EQ(recorder_.Changes(), (std::vector<Note>{Changed(组合框1视频设备, P::kItems),
                                                    Changed(组合框1视频设备, P::kSelection)}));

  recorder_.notes.clear();
  w_.RemoveAllItems(组合框1视频设备);
  EXPECT_EQ(recorder_.Changes(), (std::vector<Note>{Changed(组合框1视频设备, P::kItems),
                                                    Changed(组合框1视频设备, P::kSelection)}));

  // Clearing an editable box clears its text too; an empty list has nothing to remove.
  recorder_.notes.clear();
  w_.SetSelection(组合框码率值1, 2);
  recorder_.notes.clear();
  w_.RemoveAllItems(组合框码率值1);
  EXPECT_EQ(recorder_.Changes(), (std::vector<Note>{Changed(组合框码率值1, P::kItems),
                                                    Changed(组合框码率值1, P::kSelection),
                                                    Changed(组合框码率值1, P::kText)}));
  recorder_.notes.clear();
  w_.RemoveAllItems(组合框码率值1);
  EXPECT_TRUE(recorder_.Changes().empty());
}

// ---- User input ----

TEST_F(ModelObserverTest, RadioClickNotifiesBothButtonsBeforeItsClickedEvent) {
  ASSERT_TRUE(w_.UserClick(单选框rtmp));
  EXPECT_EQ(recorder_.notes,
            (std::vector<Note>{Changed(std::nullopt, P::kFocus), Changed(单选框设备, P::kChecked),
                               Changed(单选框rtmp, P::kChecked),
                               Raised(单选框rtmp, ControlEvent::kClicked)}));
}

TEST_F(ModelObserverTest, CheckBoxClickNotifiesTheNewState) {
  ASSERT_TRUE(w_.UserClick(选择框反交错));
  EXPECT_EQ(recorder_.Changes(), (std::vector<Note>{Changed(std::nullopt, P::kFocus),
                                                    Changed(选择框反交错, P::kChecked)}));
  EXPECT_TRUE(w_.Checked(选择框反交错));
}

TEST_F(ModelObserverTest, EditedComboTextNotifiesTextThenTheMatchingSelection) {
  ASSERT_TRUE(w_.UserReplaceText(组合框帧率, "30"));
  EXPECT_EQ(recorder_.notes,
            (std::vector<Note>{Changed(std::nullopt, P::kFocus), Changed(组合框帧率, P::kText),
                               Changed(组合框帧率, P::kSelection),
                               Raised(组合框帧率, ControlEvent::kTextChanged)}));
}

TEST_F(ModelObserverTest, RefusedInputNotifiesNothing) {
  EXPECT_FALSE(w_.UserClick(按钮_停止录制));
  EXPECT_FALSE(w_.UserType(组合框码率值2, "1"));
  EXPECT_TRUE(w_.UserType(编辑框_断流延时, "x"));  // the typing filter drops it
  EXPECT_EQ(recorder_.notes, (std::vector<Note>{Changed(std::nullopt, P::kFocus)}));
}

TEST_F(ModelObserverTest, TabChangeIsInPlaceBeforeTabChanged) {
  ASSERT_TRUE(w_.UserSelectTab(1));
  EXPECT_EQ(recorder_.notes, (std::vector<Note>{Changed(选择夹1, P::kCurrentTab),
                                                Raised(选择夹1, ControlEvent::kTabChanged)}));
  recorder_.notes.clear();
  ASSERT_TRUE(w_.UserSelectTab(1));
  EXPECT_TRUE(recorder_.notes.empty());
}

TEST_F(ModelObserverTest, MovedWindowIsReadBackAsItsRectangle) {
  w_.UserMoveWindow({70, 80, 573, 448});
  EXPECT_EQ(w_.WindowRect(), (Rect{70, 80, 573, 448}));
  EXPECT_EQ(recorder_.Changes(), (std::vector<Note>{Changed(std::nullopt, P::kWindowRect)}));
  recorder_.notes.clear();
  w_.UserMoveWindow({70, 80, 573, 448});
  EXPECT_TRUE(recorder_.notes.empty());
}

TEST_F(ModelObserverTest, DateTimeRewriteOnFocusLossPutsTheCaretWhereTheUserLeftIt) {
  ASSERT_TRUE(w_.UserReplaceText(编辑框定时录制, "20221105090503"));
  ASSERT_TRUE(w_.UserSelectText(编辑框定时录制, 4, 2));
  EXPECT_EQ(w_.Control(编辑框定时录制).selection_start, 4);
  EXPECT_EQ(w_.Control(编辑框定时录制).selection_length, 2);
  recorder_.notes.clear();

  ASSERT_TRUE(w_.UserFocusOut(编辑框定时录制));
  EXPECT_EQ(recorder_.notes,
            (std::vector<Note>{Changed(std::nullopt, P::kFocus), Changed(编辑框定时录制, P::kText),
                               Raised(编辑框定时录制, ControlEvent::kTextChanged)}));
  EXPECT_EQ(w_.Text(编辑框定时录制), "2022年11月5日9时5分3秒");
  EXPECT_EQ(w_.Control(编辑框定时录制).selection_start, 4);
  EXPECT_EQ(w_.Control(编辑框定时录制).selection_length, 0);
}

TEST_F(ModelObserverTest, UserSelectTextIsClampedToTheText) {
  struct Case {
    int start, length, expected_start, expected_length;
  };
  ASSERT_TRUE(w_.UserReplaceText(编辑框_断流延时, "123"));
  for (const Case& c : {Case{-2, 1, 0, 1}, Case{1, 9, 1, 2}, Case{7, 1, 3, 0}, Case{2, -4, 2, 0}}) {
    ASSERT_TRUE(w_.UserSelectText(编辑框_断流延时, c.start, c.length));
    EXPECT_EQ(w_.Control(编辑框_断流延时).selection_start, c.expected_start) << c.start;
    EXPECT_EQ(w_.Control(编辑框_断流延时).selection_length, c.expected_length) << c.start;
  }
  EXPECT_FALSE(w_.UserSelectText(组合框帧率, 0, 1));
}

TEST_F(ModelObserverTest, AcceptsTypedIsTheTypingFilter) {
  struct Case {
    Ctl control;
    std::string character;
    bool accepted;
  };
  const Case cases[] = {
      {编辑框_断流延时, "7", true},  {编辑框_断流延时, "-", true},  {编辑框_断流延时, ".", false},
      {编辑框_断流延时, "a", false}, {编辑框_断流延时, "\b", true}, {编辑框_断流延时, "１", false},
      {编辑框录制时长, ".", true},   {编辑框录制时长, "e", false},  {编辑框定时录制, "年", true},
      {编辑框_视频路径, "中", true}, {编辑框_视频路径, "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(w_.AcceptsTyped(c.control, c.character), c.accepted) << c.character;
    // The same answer as typing the character.
    if (c.character.empty() || c.character == "\b") continue;
    const std::string before = w_.Text(c.control);
    ASSERT_TRUE(w_.UserType(c.control, c.character));
    EXPECT_EQ(w_.Text(c.control) != before, c.accepted) << c.character;
  }
}

// ---- Timers ----

TEST_F(ModelObserverTest, TimerElapsedTicksOnlyWhileTheTimerRuns) {
  w_.TimerElapsed(时钟1ffmpeg);
  EXPECT_TRUE(recorder_.notes.empty());

  clock_.now_ms = 5'000;
  w_.SetPeriod(时钟1ffmpeg, 1000);
  recorder_.notes.clear();
  clock_.now_ms = 5'990;
  w_.TimerElapsed(时钟1ffmpeg);
  EXPECT_EQ(recorder_.notes, (std::vector<Note>{Raised(时钟1ffmpeg, ControlEvent::kTick)}));
  // The next tick counts from this one.
  EXPECT_EQ(w_.NextTimerDue(), 6'990);

  w_.TimerElapsed(按钮_开始录制);  // no timer
  EXPECT_EQ(recorder_.notes.size(), 1u);
}

// ---- A mirror kept by the notifications alone stays equal to the model ----

// What a front-end shows, updated only when told.
struct Shown {
  bool visible = false;
  bool enabled = false;
  bool checked = false;
  std::string text;
  Rgb text_colour;
  std::vector<std::string> items;
  int selection = 0;
  int current_tab = 0;
  bool fill_background = false;
  std::optional<Rgb> background;
  int period = 0;
  friend bool operator==(const Shown&, const Shown&) = default;
};

class Mirror : public ModelObserver {
 public:
  explicit Mirror(const WindowModel& w) : w_(w), shown_(kControlCount) {
    for (int i = 0; i < kControlCount; ++i) {
      for (P p : {P::kVisible, P::kEnabled, P::kChecked, P::kText, P::kTextColour, P::kItems,
                  P::kSelection, P::kCurrentTab, P::kBackground, P::kPeriod}) {
        OnModelChanged(static_cast<Ctl>(i), p);
      }
    }
    for (P p : {P::kCaption, P::kWindowRect, P::kFocus}) OnModelChanged(std::nullopt, p);
  }

  void OnModelChanged(std::optional<Ctl> control, P what) override {
    if (!control) {
      if (what == P::kCaption) caption_ = w_.Caption();
      if (what == P::kWindowRect) rect_ = w_.WindowRect();
      if (what == P::kFocus) focus_ = w_.Focus();
      return;
    }
    const ControlState& s = w_.Control(*control);
    Shown& shown = shown_[static_cast<int>(*control)];
    switch (what) {
      case P::kVisible:
        shown.visible = s.visible;
        break;
      case P::kEnabled:
        shown.enabled = s.enabled;
        break;
      case P::kChecked:
        shown.checked = s.checked;
        break;
      case P::kText:
        shown.text = s.text;
        break;
      case P::kTextColour:
        shown.text_colour = s.text_colour;
        break;
      case P::kItems:
        shown.items.clear();
        for (const ComboItem& item : s.items) shown.items.push_back(item.text);
        break;
      case P::kSelection:
        shown.selection = s.selection;
        break;
      case P::kCurrentTab:
        shown.current_tab = s.current_tab;
        break;
      case P::kBackground:
        shown.fill_background = s.fill_background;
        shown.background = s.background;
        break;
      case P::kPeriod:
        shown.period = s.period;
        break;
      default:
        break;
    }
  }
  void OnTextAppended(Ctl control, std::string_view text) override {
    shown_[static_cast<int>(control)].text.append(text);
  }

  // The controls whose shown state differs from the model's; "window" for the window itself.
  std::vector<std::string> Stale() const {
    std::vector<std::string> stale;
    if (caption_ != w_.Caption() || !(rect_ == w_.WindowRect()) || focus_ != w_.Focus()) {
      stale.push_back("window");
    }
    Mirror fresh(w_);
    for (int i = 0; i < kControlCount; ++i) {
      if (!(shown_[i] == fresh.shown_[i])) stale.emplace_back(ControlName(static_cast<Ctl>(i)));
    }
    return stale;
  }

 private:
  const WindowModel& w_;
  std::vector<Shown> shown_;
  std::string caption_;
  Rect rect_;
  std::optional<Ctl> focus_;
};

class MirroredAppTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    w_.SetObserver(&mirror_);
  }
  Mirror mirror_{w_};
};

TEST_F(MirroredAppTest, StaysEqualThroughStartUpInputAndTimers) {
  Start();
  EXPECT_EQ(mirror_.Stale(), std::vector<std::string>{}) << "after start-up";

  // Start-up restored the defaults and moved the window: the mirror saw all of it.
  EXPECT_EQ(w_.WindowRect().left, 50);
  EXPECT_EQ(w_.Text(组合框帧率), "25");

  ASSERT_TRUE(w_.UserSelectTab(1));
  ASSERT_TRUE(w_.UserClick(单选框rtmp));
  ASSERT_TRUE(w_.UserReplaceText(编辑框_视频路径, "clip"));
  ASSERT_TRUE(w_.UserSelectTab(2));
  ASSERT_TRUE(w_.UserSelectItem(组合框选码率, 1));
  ASSERT_TRUE(w_.UserClick(选择框1录制时长));
  ASSERT_TRUE(w_.UserType(编辑框定时录制, "20300101000000"));
  ASSERT_TRUE(w_.UserKeyUp(编辑框定时录制, 13));
  ASSERT_TRUE(w_.UserClick(选择框_定时录制));
  EXPECT_EQ(mirror_.Stale(), std::vector<std::string>{}) << "after input";
  EXPECT_EQ(w_.Text(编辑框_视频路径), "clip.mp4");
  EXPECT_TRUE(w_.Visible(组合框码率值2));

  // Record, then let the watchdog and the schedule timer tick.
  ASSERT_TRUE(w_.UserClick(按钮_开始录制));
  app_.platform.events.DelayWithEvents(3000);
  ASSERT_TRUE(w_.UserClick(按钮_停止录制));
  app_.platform.events.DelayWithEvents(2000);
  EXPECT_EQ(mirror_.Stale(), std::vector<std::string>{}) << "after a recording";

  app_.Close();
  EXPECT_EQ(mirror_.Stale(), std::vector<std::string>{}) << "after shut-down";
}

}  // namespace
}  // namespace morvane
