#include "log/run_log.h"

#include <filesystem>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "app_fixture.h"

namespace morvane {
namespace {

using enum Ctl;

constexpr const char* kInitialLog = "********运行日志*******";
constexpr const char* kFirstEntry = "\r\n\r\n1.2024年5月1日8时30分15秒";

class RunLogTest : public AppFixture {
 protected:
  const std::string& Log() const { return w_.Text(编辑框1日志); }
};

TEST_F(RunLogTest, FirstEntryIsNumberOneWithTheStartTimeAndNoBody) {
  Start();
  EXPECT_EQ(app_.LogCounter, 1);
  const std::string head = std::string(kInitialLog) + kFirstEntry;
  ASSERT_EQ(Log().substr(0, head.size()), head);
  // Whatever start-up writes next is a plain line of its own.
  const std::string rest = Log().substr(head.size());
  EXPECT_TRUE(rest.empty() || rest.starts_with("\r\n总共发现")) << rest;
}

TEST_F(RunLogTest, FirstEntryThenTheMissingFileLines) {
  std::filesystem::remove(root_ / "ffmpeg.exe");
  std::filesystem::remove(root_ / "ffplay.exe");
  Start();
  EXPECT_EQ(Log(), std::string(kInitialLog) + kFirstEntry +
                       "\r\n！！！ffmpeg.exe不存在，无法启动录制，请复制到程序旁边"
                       "\r\n\r\n！！！ffplay.exe不存在，无法预览视频，请复制到程序旁边");
  EXPECT_EQ(app_.LogCounter, 1);
}

TEST_F(RunLogTest, AppendToLogGoesAfterTextTheUserTyped) {
  Start();
  ASSERT_TRUE(w_.UserType(编辑框1日志, "note"));
  const std::string before = Log();
  ASSERT_TRUE(before.ends_with("note"));

  AppendToLog(app_, "\r\nline");
  EXPECT_EQ(Log(), before + "\r\nline");
  const ControlState& log = w_.Control(编辑框1日志);
  EXPECT_EQ(log.selection_start, static_cast<int>(Log().size()));
  EXPECT_EQ(log.selection_length, 0);

  // Text is appended unchanged: no separator, nothing trimmed.
  AppendToLog(app_, "");
  AppendToLog(app_, " x ");
  EXPECT_EQ(Log(), before + "\r\nline x ");
  EXPECT_EQ(app_.LogCounter, 1);
}

TEST_F(RunLogTest, EntryFollowsTextTheUserPutInPlaceOfTheLog) {
  Start();
  ASSERT_TRUE(w_.UserReplaceText(编辑框1日志, "mine"));
  AppendLogEntry(app_, "\r\nbody", 2, true);
  EXPECT_EQ(Log(), "mine\r\n\r\n2.2024年5月1日8时30分15秒\r\nbody");
}

struct EntryCase {
  const char* name;
  int counter_before;
  DateFields now;
  std::string body;
  int breaks;
  bool raise;
  std::string appended;
  int counter_after;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class AppendLogEntryTest : public RunLogTest, public testing::WithParamInterface<EntryCase> {};

TEST_P(AppendLogEntryTest, BuildsTheEntry) {
  const EntryCase& c = GetParam();
  Start();
  app_.LogCounter = c.counter_before;
  sim_.SetLocalTime(c.now);
  const std::string before = Log();
  AppendLogEntry(app_, c.body, c.breaks, c.raise);
  EXPECT_EQ(Log(), before + c.appended);
  EXPECT_EQ(app_.LogCounter, c.counter_after);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, AppendLogEntryTest,
    testing::Values(EntryCase{"TwoBreaksRaise",
                              1,
                              {2022, 11, 5, 9, 5, 3},
                              "\r\n录制结束，关闭后台程序",
                              2,
                              true,
                              "\r\n\r\n2.2022年11月5日9时5分3秒\r\n录制结束，关闭后台程序",
                              2},
                    EntryCase{"ThreeBreaksRaise",
                              4,
                              {2022, 11, 5, 9, 5, 3},
                              "\r\nx",
                              3,
                              true,
                              "\r\n\r\n\r\n5.2022年11月5日9时5分3秒\r\nx",
                              5},
                    EntryCase{"SameNumber",
                              7,
                              {2022, 11, 5, 9, 5, 3},
                              "\r\n关闭预览窗口",
                              2,
                              false,
                              "\r\n\r\n7.2022年11月5日9时5分3秒\r\n关闭预览窗口",
                              7},
                    EntryCase{"NoLeadingZeros",
                              9,
                              {2024, 1, 2, 0, 0, 0},
                              "\r\ny",
                              2,
                              true,
                              "\r\n\r\n10.2024年1月2日\r\ny",
                              10},
                    EntryCase{"TimeWithoutSeconds",
                              99,
                              {2024, 12, 31, 12, 30, 0},
                              "",
                              2,
                              true,
                              "\r\n\r\n100.2024年12月31日12时30分",
                              100},
                    EntryCase{"EmptyBody",
                              0,
                              {2024, 5, 1, 8, 30, 15},
                              "",
                              2,
                              true,
                              "\r\n\r\n1.2024年5月1日8时30分15秒",
                              1}),
    [](const testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });

TEST_F(RunLogTest, EntryTakesTheTimeWhenItIsBuilt) {
  Start();
  sim_.Sleep(2500);
  AppendLogEntry(app_, "", 2, true);
  EXPECT_TRUE(Log().ends_with("\r\n\r\n2.2024年5月1日8时30分17秒")) << Log();
}

TEST_F(RunLogTest, ColoursHoldForTheWholeLogOverBlack) {
  Start();
  EXPECT_EQ(w_.TextColour(编辑框1日志), kLogWhite);
  EXPECT_EQ(kLogWhite, (Rgb{255, 255, 255}));
  EXPECT_EQ(kLogMagenta, (Rgb{255, 0, 255}));
  EXPECT_EQ(kLogPinkRed, (Rgb{255, 80, 128}));

  SetLogColour(app_, kLogPinkRed);
  AppendLogEntry(app_, "\r\nx", 3, true);
  AppendToLog(app_, "\r\nplain");
  EXPECT_EQ(w_.TextColour(编辑框1日志), kLogPinkRed);
  SetLogColour(app_, kLogMagenta);
  EXPECT_EQ(w_.TextColour(编辑框1日志), kLogMagenta);
  EXPECT_EQ(w_.Control(编辑框1日志).back_colour, (Rgb{0, 0, 0}));
}

TEST_F(RunLogTest, CaptionIsReplacedWhole) {
  Start();
  SetCaption(app_, "Tavonik");
  EXPECT_EQ(w_.Caption(), "Tavonik");
  SetCaption(app_, "定时录制进行中……");
  EXPECT_EQ(w_.Caption(), "定时录制进行中……");
}

TEST_F(RunLogTest, ManyAppendsKeepEverything) {
  Start();
  const std::string start = Log();
  std::string expected = start;
  for (int i = 0; i < 20000; ++i) {
    const std::string line = "\r\n第" + std::to_string(i) + "行";
    AppendToLog(app_, line);
    expected += line;
  }
  for (int i = 0; i < 3000; ++i) AppendLogEntry(app_, "\r\n录制结束，关闭后台程序", 2, true);
  for (int i = 0; i < 3000; ++i) {
    expected +=
        "\r\n\r\n" + std::to_string(i + 2) + ".2024年5月1日8时30分15秒\r\n录制结束，关闭后台程序";
  }
  EXPECT_EQ(app_.LogCounter, 3001);
  EXPECT_EQ(Log().size(), expected.size());
  EXPECT_TRUE(Log() == expected);  // no trimming anywhere; too long to print on failure
  EXPECT_TRUE(Log().starts_with(kInitialLog));
}

}  // namespace
}  // namespace morvane
