// The recorder's argument text, the duration and de-interlace fragments, and the handlers of the
// device and bitrate-mode lists.
#include "recording/recorder_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"

namespace morvane {
namespace {

using enum Ctl;

constexpr const char* kUrl = "rtmp://127.0.0.1/lumo/zhibo";
constexpr const char* kDefaultName = "2022年11月5日9时5分3秒.mp4";

class RecorderCommandTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }

  // Replaces a device list by the given items; the first one is selected, none when empty.
  void SetDevices(Ctl box, const std::vector<std::string>& items) {
    w_.RemoveAllItems(box);
    for (const std::string& item : items) w_.AddItem(box, item);
    w_.SetSelection(box, items.empty() ? -1 : 0);
  }

  void SelectSource(bool device, bool pull) {
    w_.SetChecked(单选框设备, device);
    w_.SetChecked(单选框rtmp, pull);
  }

  // The options shared by the worked command lines: frame rate 25, bitrate 3000k, maximum 4000k.
  void SetCommonOptions() {
    w_.SetText(编辑框_推流地址, kUrl);
    w_.SetText(编辑框_断流延时, "5");
    w_.SetText(组合框帧率, "25");
    w_.SetText(组合框码率值1, "3000k");
    w_.SetText(组合框码率值2, "4000k");
    w_.SetSelection(组合框选码率, 0);
    w_.SetChecked(选择框1录制时长, false);
    ComposeDurationArg(app_);
    w_.SetChecked(选择框反交错, false);
  }

  std::string CommandLine(std::string_view output) {
    return app_.RecorderPath + ComposeRecorderArguments(app_, output);
  }
};

TEST_F(RecorderCommandTest, RecorderPathIsInTheRunDirectory) {
  EXPECT_EQ(app_.RecorderPath, "D:\\Capture\\ffmpeg.exe");
}

// The three worked command lines, byte for byte.
struct WorkedCase {
  const char* name;
  bool device;
  std::vector<std::string> audio;  // empty: no audio device chosen
  int bitrate_mode;
  const char* minutes;  // nullptr: duration box not ticked
  int field_order;      // selection of the field order; -2: de-interlace not ticked
  const char* output;
  std::string expected;
};

TEST_F(RecorderCommandTest, WorkedCommandLines) {
  const std::vector<WorkedCase> cases = {
      {"device, audio, fixed rate",
       true,
       {"\"Microphone (USB Audio)\""},
       0,
       nullptr,
       -2,
       kDefaultName,
       "D:\\Capture\\ffmpeg.exe -f dshow -i video=\"USB Camera\" -f dshow -i "
       "audio=\"Microphone (USB Audio)\" -vcodec libx264 -pix_fmt yuv420p -acodec aac -strict -2 "
       "-r 25 -b:v 3000k -bufsize 3000k 2022年11月5日9时5分3秒.mp4"},
      {"device, no audio, variable rate, 90 minutes, top field first",
       true,
       {},
       1,
       "90",
       0,
       "E:\\Media\\show.mp4",
       "D:\\Capture\\ffmpeg.exe -f dshow -i video=\"USB Camera\"  -vcodec libx264 -pix_fmt yuv420p "
       "-acodec aac -strict -2 -r 25 -b:v 3000k -bufsize 3000k -maxrate 4000k -t 5400 -vf "
       "yadif=mode=0:parity=0:deint=0 E:\\Media\\show.mp4"},
      {"pull stream, delay 5",
       false,
       {},
       0,
       nullptr,
       -2,
       kDefaultName,
       std::string("D:\\Capture\\ffmpeg.exe -rw_timeout 5000000 -i ") + kUrl +
           " -c copy -r 25 -b:v 3000k -bufsize 3000k 2022年11月5日9时5分3秒.mp4"},
  };
  for (const WorkedCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetCommonOptions();
    SelectSource(c.device, !c.device);
    SetDevices(组合框1视频设备, {"\"USB Camera\""});
    SetDevices(组合框2音频设备, c.audio);
    w_.SetSelection(组合框选码率, c.bitrate_mode);
    if (c.minutes != nullptr) {
      w_.SetText(编辑框录制时长, c.minutes);
      w_.SetChecked(选择框1录制时长, true);
      ComposeDurationArg(app_);
    }
    if (c.field_order != -2) {
      w_.SetChecked(选择框反交错, true);
      w_.SetSelection(组合框反交错场, c.field_order);
    }
    EXPECT_EQ(CommandLine(c.output), c.expected);
  }
}

TEST_F(RecorderCommandTest, DeviceFragmentsAreKept) {
  SetCommonOptions();
  SelectSource(true, false);
  SetDevices(组合框1视频设备, {"\"Cam A\"", "\"Cam B\""});
  w_.SetSelection(组合框1视频设备, 1);
  SetDevices(组合框2音频设备, {"\"Mic\""});
  ComposeRecorderArguments(app_, "out.mp4");
  EXPECT_EQ(app_.VideoInputArg, " -f dshow -i video=\"Cam B\"");
  EXPECT_EQ(app_.AudioInputArg, " -f dshow -i audio=\"Mic\"");
  EXPECT_EQ(app_.SourceArgs,
            " -f dshow -i video=\"Cam B\" -f dshow -i audio=\"Mic\" -vcodec libx264 -pix_fmt "
            "yuv420p -acodec aac -strict -2 ");
  EXPECT_EQ(app_.FrameRateArg, "-r 25");
  EXPECT_EQ(app_.BitrateArg, " -b:v 3000k -bufsize 3000k");
  EXPECT_EQ(app_.MaxRateArg, "");
  EXPECT_EQ(app_.DeinterlaceArg, " ");

  // No audio item selected: a single blank stands in for the audio input.
  w_.SetSelection(组合框2音频设备, -1);
  ComposeRecorderArguments(app_, "out.mp4");
  EXPECT_EQ(app_.AudioInputArg, " ");
}

TEST_F(RecorderCommandTest, BothSourcesSelectedThePullFormWins) {
  SetCommonOptions();
  SetDevices(组合框1视频设备, {"\"USB Camera\""});
  SelectSource(true, true);
  const std::string args = ComposeRecorderArguments(app_, "out.mp4");
  EXPECT_EQ(app_.SourceArgs, std::string(" -rw_timeout 5000000 -i ") + kUrl + " -c copy ");
  EXPECT_EQ(args.rfind(app_.SourceArgs, 0), 0u);
  // The device fragments were still composed on the way.
  EXPECT_EQ(app_.VideoInputArg, " -f dshow -i video=\"USB Camera\"");
}

TEST_F(RecorderCommandTest, NeitherSourceSelectedKeepsThePreviousSourceArgs) {
  SetCommonOptions();
  SelectSource(false, false);
  // Before any start the source part is empty.
  EXPECT_EQ(ComposeRecorderArguments(app_, "out.mp4"), "-r 25 -b:v 3000k -bufsize 3000k out.mp4");

  SelectSource(false, true);
  ComposeRecorderArguments(app_, "out.mp4");
  const std::string pulled = app_.SourceArgs;
  SelectSource(false, false);
  w_.SetText(编辑框_推流地址, "rtmp://other/stream");
  w_.SetText(编辑框_断流延时, "9");
  EXPECT_EQ(ComposeRecorderArguments(app_, "out.mp4"),
            pulled + "-r 25 -b:v 3000k -bufsize 3000k out.mp4");
  EXPECT_EQ(app_.SourceArgs, pulled);
}

struct DelayCase {
  const char* text;
  const char* microseconds;
};

TEST_F(RecorderCommandTest, StreamBreakDelayInMicroseconds) {
  const std::vector<DelayCase> cases = {
      {"5", "5000000"},
      {"2147", "2147000000"},
      {"2148", "2148000000"},  // computed in 64 bits: no wrap-around
      {"9999", "9999000000"},
      {"abc", "0"},
      {"", "0"},
      {".", "0"},
      {"5.9", "5000000"},
      {"５", "5000000"},  // full-width digit
      {"１２", "12000000"},
      {"  7", "7000000"},
      {"-5", "-5000000"},  // a negative delay stays as typed
      {"99999999999", "2147483647000000"},
  };
  SetCommonOptions();
  SelectSource(false, true);
  for (const DelayCase& c : cases) {
    SCOPED_TRACE(c.text);
    w_.SetText(编辑框_断流延时, c.text);
    ComposeRecorderArguments(app_, "out.mp4");
    EXPECT_EQ(app_.SourceArgs,
              std::string(" -rw_timeout ") + c.microseconds + " -i " + kUrl + " -c copy ");
  }
}

struct DurationCase {
  const char* minutes;
  const char* duration_arg;
};

TEST_F(RecorderCommandTest, DurationFromMinutes) {
  const std::vector<DurationCase> cases = {
      {"60", " -t 3600"},
      {"90", " -t 5400"},
      {"1.5", " -t 90"},
      {"0.1", " -t 6"},
      {"1.11", " -t 66.6"},
      {"0.01", " -t 0.6"},
      {"", " -t 0"},
      {"abc", " -t 0"},
      {"-5", " -t -300"},
      {"20000", " -t 1.2e+006"},
      {"16666.67", " -t 1e+006"},
      {"９０", " -t 5400"},
      {"1e2", " -t 6000"},
      {"2.5x", " -t 150"},
  };
  w_.SetChecked(选择框1录制时长, true);
  for (const DurationCase& c : cases) {
    SCOPED_TRACE(c.minutes);
    w_.SetText(编辑框录制时长, c.minutes);
    ComposeDurationArg(app_);
    EXPECT_EQ(app_.DurationArg, c.duration_arg);
  }
  w_.SetChecked(选择框1录制时长, false);
  ComposeDurationArg(app_);
  EXPECT_EQ(app_.DurationArg, "");
}

TEST_F(RecorderCommandTest, DurationIsComposedOnlyByTheClick) {
  SetCommonOptions();
  SelectSource(false, true);
  w_.SetText(编辑框录制时长, "60");
  ASSERT_TRUE(w_.UserClick(选择框1录制时长));
  EXPECT_EQ(app_.DurationArg, " -t 3600");

  // Editing the minutes alone changes nothing, also not at the next start.
  ASSERT_TRUE(w_.UserReplaceText(编辑框录制时长, "30"));
  EXPECT_NE(ComposeRecorderArguments(app_, "out.mp4").find(" -t 3600 "), std::string::npos);
  EXPECT_EQ(app_.DurationArg, " -t 3600");

  ASSERT_TRUE(w_.UserClick(选择框1录制时长));
  EXPECT_EQ(app_.DurationArg, "");
  EXPECT_EQ(ComposeRecorderArguments(app_, "out.mp4").find(" -t "), std::string::npos);
  ASSERT_TRUE(w_.UserClick(选择框1录制时长));
  EXPECT_EQ(app_.DurationArg, " -t 1800");
  EXPECT_NE(ComposeRecorderArguments(app_, "out.mp4").find(" -t 1800 "), std::string::npos);
}

struct DeinterlaceCase {
  bool ticked;
  int selection;
  const char* expected;
};

TEST_F(RecorderCommandTest, DeinterlaceFragment) {
  const std::vector<DeinterlaceCase> cases = {
      {true, 0, " -vf yadif=mode=0:parity=0:deint=0 "},
      {true, 1, " -vf yadif=mode=0:parity=1:deint=0 "},
      {true, 2, " -vf yadif=mode=0:parity=-1:deint=0 "},
      {true, -1, " -vf yadif=mode=0:parity=-1:deint=0 "},  // no field order chosen
      {false, 1, " "},
  };
  for (const DeinterlaceCase& c : cases) {
    SCOPED_TRACE(c.selection);
    w_.SetChecked(选择框反交错, c.ticked);
    w_.SetSelection(组合框反交错场, c.selection);
    ComposeDeinterlaceArg(app_);
    EXPECT_EQ(app_.DeinterlaceArg, c.expected);
  }
}

TEST_F(RecorderCommandTest, DeinterlaceIsComposedAtEveryStart) {
  SetCommonOptions();
  SelectSource(false, true);
  w_.SetChecked(选择框反交错, true);
  w_.SetSelection(组合框反交错场, -1);
  const std::string args = ComposeRecorderArguments(app_, "out.mp4");
  EXPECT_TRUE(args.ends_with(" -vf yadif=mode=0:parity=-1:deint=0 out.mp4")) << args;
  w_.SetChecked(选择框反交错, false);
  EXPECT_EQ(ComposeRecorderArguments(app_, "out.mp4"),
            std::string(" -rw_timeout 5000000 -i ") + kUrl +
                " -c copy -r 25 -b:v 3000k -bufsize 3000k out.mp4");
}

struct MaxRateCase {
  int mode_selection;
  const char* expected;
};

TEST_F(RecorderCommandTest, MaximumRateOnlyForAVariableBitrate) {
  const std::vector<MaxRateCase> cases = {
      {0, ""},
      {1, " -maxrate 8000k"},
      {-1, " -maxrate 8000k"},  // anything but the fixed rate counts as variable
  };
  SetCommonOptions();
  SelectSource(false, true);
  w_.SetText(组合框码率值2, "8000k");
  // Read also while the box is hidden.
  w_.SetVisible(组合框码率值2, false);
  for (const MaxRateCase& c : cases) {
    SCOPED_TRACE(c.mode_selection);
    w_.SetSelection(组合框选码率, c.mode_selection);
    const std::string args = ComposeRecorderArguments(app_, "out.mp4");
    EXPECT_EQ(app_.MaxRateArg, c.expected);
    EXPECT_EQ(args.find(" -maxrate ") != std::string::npos, *c.expected != '\0');
  }
}

TEST_F(RecorderCommandTest, TextsGoInUnchecked) {
  SetCommonOptions();
  SelectSource(false, true);
  w_.SetText(编辑框_推流地址, "rtmp://h/a b");
  w_.SetText(组合框帧率, "");
  w_.SetText(组合框码率值1, "");
  EXPECT_EQ(ComposeRecorderArguments(app_, "my file.mp4"),
            " -rw_timeout 5000000 -i rtmp://h/a b -c copy -r  -b:v  -bufsize  my file.mp4");
}

// Bitrate mode: the maximum-rate box and its arrow follow the mode; the caption shows the items
// at the current selections.
TEST_F(RecorderCommandTest, BitrateModeShowsMaximumRateAndCaption) {
  w_.SetSelection(组合框码率值1, 2);
  w_.SetSelection(组合框码率值2, 3);
  ASSERT_TRUE(w_.UserSelectItem(组合框选码率, 1));
  EXPECT_TRUE(w_.Visible(组合框码率值2));
  EXPECT_TRUE(w_.Visible(透明标签码率箭头));
  EXPECT_EQ(w_.Caption(), "3000k-4000k");

  w_.SetSelection(组合框码率值1, 0);
  ASSERT_TRUE(w_.UserSelectItem(组合框选码率, 0));
  EXPECT_FALSE(w_.Visible(组合框码率值2));
  EXPECT_FALSE(w_.Visible(透明标签码率箭头));
  EXPECT_EQ(w_.Caption(), "1000k-4000k");  // written in the fixed mode too
}

TEST_F(RecorderCommandTest, BitrateModeCaptionIgnoresTypedRates) {
  w_.SetSelection(组合框码率值1, 2);
  w_.SetSelection(组合框码率值2, 3);
  ASSERT_TRUE(w_.UserReplaceText(组合框码率值1, "3500k"));  // matches no item
  ASSERT_EQ(w_.Selection(组合框码率值1), -1);
  ASSERT_TRUE(w_.UserSelectItem(组合框选码率, 1));
  EXPECT_EQ(w_.Caption(), "-4000k");
  // The typed text is what the command line carries.
  SetCommonOptions();
  w_.SetText(组合框码率值1, "3500k");
  SelectSource(false, true);
  ComposeRecorderArguments(app_, "out.mp4");
  EXPECT_EQ(app_.BitrateArg, " -b:v 3500k -bufsize 3500k");
}

// The window as created, before start-up writes any selection.
TEST(RecorderCommandWindowTest, BitrateModeCaptionOfTheWindowAsCreated) {
  SimOptions options;
  options.root = std::filesystem::temp_directory_path() / "morvane-tests" / "RecorderAsCreated";
  std::filesystem::create_directories(options.root);
  std::unique_ptr<Encoding> encoding = MakeSystemEncoding();
  SimPlatform sim(options, *encoding);
  App app(sim.platform(), sim.RunDirectory());
  app.window.SetSelection(组合框选码率, 1);
  OnBitrateModeSelected(app);
  EXPECT_EQ(app.window.Caption(), "4000k-6000k");
  EXPECT_TRUE(app.window.Visible(组合框码率值2));
}

TEST_F(RecorderCommandTest, VideoDeviceChoiceUnticksThePreviewWithoutAClick) {
  SetDevices(组合框1视频设备, {"\"Cam A\"", "\"Cam B\""});
  w_.SetChecked(选择框2预览, true);
  const int32_t counter = app_.LogCounter;
  const std::string log = w_.Text(编辑框1日志);
  ASSERT_TRUE(w_.UserSelectItem(组合框1视频设备, 1));
  EXPECT_FALSE(w_.Checked(选择框2预览));
  // No click ran: the preview's click raises the counter as its first step.
  EXPECT_EQ(app_.LogCounter, counter);
  EXPECT_EQ(w_.Text(编辑框1日志), log);
  EXPECT_TRUE(sim_.Commands().empty());
  EXPECT_EQ(w_.Text(组合框1视频设备), "\"Cam B\"");
}

TEST_F(RecorderCommandTest, AudioDeviceChoiceChangesNothingElse) {
  SetDevices(组合框2音频设备, {"\"Mic\""});
  w_.SetChecked(选择框2预览, true);
  const std::string caption = w_.Caption();
  ASSERT_TRUE(w_.UserSelectItem(组合框2音频设备, 0));
  EXPECT_TRUE(w_.Checked(选择框2预览));
  EXPECT_EQ(w_.Caption(), caption);
}

}  // namespace
}  // namespace morvane
