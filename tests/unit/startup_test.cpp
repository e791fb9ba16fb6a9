#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app_fixture.h"
#include "recording/recording_control.h"

namespace morvane {
namespace {

using enum Ctl;

constexpr std::string_view kInitialLog = "********运行日志*******";
constexpr std::string_view kFirstEntry = "\r\n\r\n1.2024年5月1日8时30分15秒";
constexpr std::string_view kRecorderMissingLine =
    "\r\n！！！ffmpeg.exe不存在，无法启动录制，请复制到程序旁边";
constexpr std::string_view kPreviewerMissingLine =
    "\r\n\r\n！！！ffplay.exe不存在，无法预览视频，请复制到程序旁边";

// What start-up disables when the recorder is missing, in control order.
const std::vector<Ctl> kRecordingControls = {
    组合框反交错场,  选择框1录制时长, 选择框_定时录制, 编辑框录制时长, 编辑框定时录制,
    组合框码率值2,   组合框码率值1,   组合框选码率,    组合框帧率,     选择框反交错,
    按钮_保存到,     编辑框_视频路径, 单选框设备,      单选框rtmp,     编辑框_断流延时,
    编辑框_推流地址, 按钮_开始录制,
};

// The recorder's DirectShow listing as it writes it (UTF-8): a banner of more than 1000 bytes
// without a "]", then one line per device, each with its alternative name.
std::string DeviceListing(const std::vector<std::string>& devices) {
  std::string listing =
      "ffmpeg version 6.0-full_build-www.gyan.dev Copyright (c) 2000-2023 the FFmpeg developers\r\n"
      "  configuration: " +
      std::string(1000, 'x') + "\r\n";
  for (const std::string& device : devices) {
    listing += "[dshow @ 0000023a5d8e6c40] \"" + device + "\" (video)\r\n";
    listing += "[dshow @ 0000023a5d8e6c40]   Alternative name \"@device_pnp_" + device + "\"\r\n";
  }
  listing += "dummy: Immediate exit requested\r\n";
  return listing;
}

class StartUpTest : public AppFixture {
 protected:
  std::string Log() const { return w_.Text(编辑框1日志); }
  std::string Read(std::string_view name) const {
    std::ifstream in(root_ / std::string(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void RemoveProgram(std::string_view name) { std::filesystem::remove(root_ / std::string(name)); }
  std::vector<Ctl> Disabled(const WindowModel& w) const {
    std::vector<Ctl> disabled;
    for (const ControlState& c : w.Controls()) {
      if (!w.Enabled(c.id)) disabled.push_back(c.id);
    }
    return disabled;
  }
  std::vector<std::string> Items(const WindowModel& w, Ctl c) const {
    std::vector<std::string> items;
    for (int i = 0; i < w.ItemCount(c); ++i) items.emplace_back(w.ItemText(c, i));
    return items;
  }
  int Running(const SimPlatform& sim, std::string_view exe) const {
    int n = 0;
    for (const SimProcess& p : sim.RunningProcesses()) n += p.exe_name == exe;
    return n;
  }
};

TEST_F(StartUpTest, WithBothProgramsDiscoversTheDevicesAndEnablesEverything) {
  sim_.SetDeviceListing(DeviceListing({"USB Camera", "Microphone (USB Audio)"}));
  Start();

  EXPECT_EQ(Log(),
            std::string(kInitialLog) + std::string(kFirstEntry) +
                "\r\n总共发现2个音视频设备:\r\n\"USB Camera\"\r\n\"Microphone (USB Audio)\"");
  EXPECT_EQ(app_.LogCounter, 1);
  EXPECT_EQ(app_.RecorderPath, "D:\\Capture\\ffmpeg.exe");
  EXPECT_EQ(w_.WindowRect(), (Rect{50, (1080 - 448) / 2, 573, 448}));
  EXPECT_EQ(Items(w_, 组合框1视频设备), std::vector<std::string>{"\"USB Camera\""});
  EXPECT_EQ(Items(w_, 组合框2音频设备), std::vector<std::string>{"\"Microphone (USB Audio)\""});
  EXPECT_EQ(Disabled(w_), std::vector<Ctl>{按钮_停止录制});
  EXPECT_TRUE(w_.Control(选择夹1).fill_background);
  EXPECT_FALSE(w_.Control(选择夹1).background.has_value());
  // Restored and applied without a last.ini: the defaults.
  EXPECT_EQ(w_.Text(组合框帧率), "25");
  EXPECT_EQ(w_.Text(编辑框定时录制), "2024年5月1日8时30分15秒");
  EXPECT_FALSE(std::filesystem::exists(root_ / "last.ini"));
}

TEST_F(StartUpTest, WithoutTheRecorderDisablesTheRecordingControlsAndSkipsDiscovery) {
  RemoveProgram("ffmpeg.exe");
  sim_.SetDeviceListing(DeviceListing({"USB Camera"}));
  Start();

  EXPECT_EQ(Log(), std::string(kInitialLog) + std::string(kFirstEntry) +
                       std::string(kRecorderMissingLine));
  std::vector<Ctl> expected = kRecordingControls;
  expected.push_back(按钮_停止录制);
  std::vector<Ctl> disabled = Disabled(w_);
  std::sort(expected.begin(), expected.end());
  std::sort(disabled.begin(), disabled.end());
  EXPECT_EQ(disabled, expected);
  EXPECT_EQ(w_.ItemCount(组合框1视频设备), 0);
  EXPECT_TRUE(w_.Enabled(组合框1视频设备));
  EXPECT_TRUE(w_.Enabled(组合框2音频设备));
  EXPECT_TRUE(w_.Enabled(按钮2保存));
  EXPECT_TRUE(w_.Enabled(按钮1导入));
  // The rest of start-up ran, the restore included.
  EXPECT_EQ(w_.Text(组合框帧率), "25");
  EXPECT_EQ(w_.Text(编辑框录制时长), "60");
}

TEST_F(StartUpTest, WithoutThePreviewerDisablesOnlyThePreview) {
  RemoveProgram("ffplay.exe");
  Start();
  EXPECT_EQ(Log(), std::string(kInitialLog) + std::string(kFirstEntry) +
                       "\r\n总共发现0个音视频设备:" + std::string(kPreviewerMissingLine));
  EXPECT_EQ(Disabled(w_), (std::vector<Ctl>{选择框2预览, 按钮_停止录制}));
}

TEST_F(StartUpTest, WithNeitherProgramLogsBothLinesRecorderFirst) {
  RemoveProgram("ffmpeg.exe");
  RemoveProgram("ffplay.exe");
  Start();
  EXPECT_EQ(Log(), std::string(kInitialLog) + std::string(kFirstEntry) +
                       std::string(kRecorderMissingLine) + std::string(kPreviewerMissingLine));
  EXPECT_EQ(Disabled(w_).size(), kRecordingControls.size() + 2);
  EXPECT_FALSE(w_.Enabled(选择框2预览));
  EXPECT_TRUE(w_.Enabled(组合框1视频设备));
  EXPECT_TRUE(w_.Enabled(组合框2音频设备));
}

TEST_F(StartUpTest, AFolderNamedLikeTheRecorderCounts) {
  RemoveProgram("ffmpeg.exe");
  std::filesystem::create_directory(root_ / "ffmpeg.exe");
  Start();
  EXPECT_TRUE(w_.Enabled(按钮_开始录制));
  EXPECT_NE(Log().find("总共发现0个音视频设备:"), std::string::npos);
}

TEST_F(StartUpTest, TheDeviceListsAreEnabledBeforeTheRestore) {
  // The stored pull source is restored after the lists were enabled: enabled but hidden.
  PutFile("last.ini", "[单选框]\r\n单选框设备=假\r\n单选框rtmp=真\r\n");
  Start();
  EXPECT_TRUE(w_.Checked(单选框rtmp));
  EXPECT_FALSE(w_.Checked(单选框设备));
  EXPECT_TRUE(w_.Enabled(组合框1视频设备));
  EXPECT_TRUE(w_.Enabled(组合框2音频设备));
  EXPECT_FALSE(w_.Visible(组合框1视频设备));
  EXPECT_TRUE(w_.Visible(编辑框_推流地址));
}

TEST_F(StartUpTest, ARestartRestoresLastIniWithTheStoredDeviceLists) {
  sim_.SetDeviceListing(DeviceListing({"USB Camera", "Capture 2", "Microphone (USB Audio)"}));
  Start();
  ASSERT_TRUE(w_.UserSelectItem(组合框1视频设备, 1));
  ASSERT_TRUE(w_.UserClick(选择框1录制时长));
  w_.SetText(编辑框录制时长, "90");
  ASSERT_TRUE(w_.UserClick(单选框rtmp));
  ASSERT_TRUE(w_.UserReplaceText(编辑框_推流地址, "rtmp://192.0.2.7/live/cam"));
  w_.SetText(组合框帧率, "29.97");
  ASSERT_TRUE(w_.UserSelectItem(组合框选码率, 1));
  // Never stored: the log, the output path and the preview box.
  w_.AppendText(编辑框1日志, "typed by the user");
  w_.SetText(编辑框_视频路径, "E:\\show.mp4");
  w_.SetChecked(选择框2预览, true);
  app_.Close();

  SimOptions options = Options(root_);
  options.start_time = {2024, 5, 2, 9, 0, 1};
  SimPlatform sim2(options, *encoding_);
  sim2.SetDeviceListing(DeviceListing({"HD Webcam", "Line In (Sound)"}));
  App app2(sim2.platform(), sim2.RunDirectory());
  app2.Start();
  const WindowModel& w2 = app2.window;

  // Discovery ran and logged the new devices; the stored lists replaced them.
  EXPECT_EQ(w2.Text(编辑框1日志), std::string(kInitialLog) +
                                      "\r\n\r\n1.2024年5月2日9时0分1秒\r\n总共发现2个音视频设备:"
                                      "\r\n\"HD Webcam\"\r\n\"Line In (Sound)\"");
  EXPECT_EQ(Items(w2, 组合框1视频设备),
            (std::vector<std::string>{"\"USB Camera\"", "\"Capture 2\""}));
  EXPECT_EQ(w2.Selection(组合框1视频设备), 1);
  EXPECT_EQ(w2.Text(组合框1视频设备), "\"Capture 2\"");
  EXPECT_EQ(Items(w2, 组合框2音频设备), std::vector<std::string>{"\"Microphone (USB Audio)\""});
  EXPECT_TRUE(w2.Checked(选择框1录制时长));
  EXPECT_EQ(app2.DurationArg, " -t 5400");
  EXPECT_TRUE(w2.Checked(单选框rtmp));
  EXPECT_FALSE(w2.Checked(单选框设备));
  EXPECT_TRUE(w2.Visible(编辑框_推流地址));
  EXPECT_FALSE(w2.Visible(组合框1视频设备));
  EXPECT_EQ(w2.Text(编辑框_推流地址), "rtmp://192.0.2.7/live/cam");
  EXPECT_EQ(w2.Text(组合框帧率), "29.97");
  EXPECT_EQ(w2.Selection(组合框选码率), 1);
  EXPECT_TRUE(w2.Visible(组合框码率值2));
  EXPECT_TRUE(w2.Visible(透明标签码率箭头));
  EXPECT_EQ(w2.Text(编辑框定时录制), "2024年5月2日9时0分1秒");
  EXPECT_EQ(w2.Text(编辑框_视频路径), "默认时间文件名");
  EXPECT_FALSE(w2.Checked(选择框2预览));
  app2.Close();
}

TEST_F(StartUpTest, AStoredListWithoutItemsEmptiesTheDiscoveredOne) {
  PutFile("last.ini", "[组合框]\r\n组合框1视频设备=-1<|>\r\n");
  sim_.SetDeviceListing(DeviceListing({"USB Camera", "Microphone (USB Audio)"}));
  Start();
  EXPECT_EQ(w_.ItemCount(组合框1视频设备), 0);
  EXPECT_EQ(Items(w_, 组合框2音频设备), std::vector<std::string>{"\"Microphone (USB Audio)\""});

  app_.Close();
  const std::string last = Read("last.ini");
  EXPECT_NE(last.find("\r\n组合框1视频设备=-1<|>\r\n"), std::string::npos);
  EXPECT_NE(last.find("\r\n组合框2音频设备=#引号Microphone (USB Audio)#引号<|>0<||>-1<|>\r\n"),
            std::string::npos);
}

TEST_F(StartUpTest, ShutDownClosesTheRecordersConsoleWindow) {
  Start();
  w_.SetChecked(单选框设备, false);
  w_.SetChecked(单选框rtmp, true);
  StartRecording(app_);
  ASSERT_EQ(Running(sim_, "ffmpeg.exe"), 1);
  app_.Close();
  EXPECT_EQ(app_.SearchTitle, "ffmpeg.exe");
  EXPECT_EQ(Running(sim_, "ffmpeg.exe"), 0);
}

TEST_F(StartUpTest, ShutDownClosesTheLastWindowWhoseTitleNamesTheRecorder) {
  Start();
  sim_.AddForeignWindow("ffmpeg.exe - 记事本");
  w_.SetChecked(单选框设备, false);
  w_.SetChecked(单选框rtmp, true);
  StartRecording(app_);
  // The recorder's console went on top, so the editor comes last in the list and gets the close.
  app_.Close();
  EXPECT_EQ(Running(sim_, "ffmpeg.exe"), 1);
  for (const SimWindow& window : sim_.AllWindows()) EXPECT_NE(window.title, "ffmpeg.exe - 记事本");
}

TEST_F(StartUpTest, ShutDownWithoutARecorderClosesNothing) {
  Start();
  sim_.AddForeignWindow("记事本");
  app_.Close();
  ASSERT_EQ(sim_.AllWindows().size(), 1u);
  EXPECT_EQ(sim_.AllWindows()[0].title, "记事本");
}

TEST_F(StartUpTest, ShutDownEndsEveryPreviewer) {
  PutFile("FFPLAY.EXE");
  Start();
  Processes& processes = sim_.platform().processes;
  ASSERT_TRUE(processes.RunProgram("D:\\Capture\\ffplay.exe -i a", ShowMode::kHide));
  ASSERT_TRUE(processes.RunProgram("D:\\Capture\\ffplay.exe -i b", ShowMode::kHide));
  ASSERT_TRUE(processes.RunProgram("D:\\Capture\\FFPLAY.EXE -i c", ShowMode::kHide));
  ASSERT_EQ(Running(sim_, "ffplay.exe"), 2);
  app_.Close();
  EXPECT_EQ(Running(sim_, "ffplay.exe"), 0);
  // The name is compared exactly.
  EXPECT_EQ(Running(sim_, "FFPLAY.EXE"), 1);
}

TEST_F(StartUpTest, ShutDownSavesLastIniWithoutTheLogThePathAndThePreview) {
  Start();
  w_.SetText(编辑框_断流延时, "8");
  w_.SetText(编辑框_视频路径, "E:\\show.mp4");
  w_.SetChecked(选择框2预览, true);
  app_.Close();

  const std::string last = Read("last.ini");
  EXPECT_EQ(last.find("编辑框1日志"), std::string::npos);
  EXPECT_EQ(last.find("编辑框_视频路径"), std::string::npos);
  EXPECT_EQ(last.find("选择框2预览"), std::string::npos);
  EXPECT_EQ(
      last.find("[编辑框]\r\n编辑框录制时长=60\r\n编辑框定时录制=2024年5月1日8时30分15秒\r\n"
                "编辑框_断流延时=8\r\n编辑框_推流地址=rtmp://127.0.0.1/lumo/zhibo\r\n[组合框]"),
      0u);
  EXPECT_NE(last.find("[单选框]\r\n单选框设备=真\r\n单选框rtmp=假\r\n[选择框]\r\n"
                      "选择框1录制时长=假\r\n选择框_定时录制=假\r\n选择框反交错=假\r\n"),
            std::string::npos);
}

TEST_F(StartUpTest, ShutDownKeepsWhatElseLastIniHolds) {
  PutFile("last.ini", "[其他]\r\nx=1\r\n");
  Start();
  app_.Close();
  EXPECT_EQ(Read("last.ini").rfind("[其他]\r\nx=1\r\n[编辑框]\r\n", 0), 0u);
}

}  // namespace
}  // namespace morvane
