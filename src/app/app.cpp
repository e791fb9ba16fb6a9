#include "app/app.h"

#include <utility>

#include "app/startup.h"
#include "preview/preview.h"
#include "recording/output_naming.h"
#include "recording/recorder_command.h"
#include "recording/recording_control.h"
#include "recording/schedule.h"
#include "settings/settings_files.h"

namespace morvane {
namespace {

// The two source radio buttons show their own controls and hide the other source's.
void ShowSourceControls(WindowModel& w, bool device_source) {
  w.SetVisible(Ctl::组合框1视频设备, device_source);
  w.SetVisible(Ctl::组合框2音频设备, device_source);
  w.SetVisible(Ctl::编辑框_推流地址, !device_source);
  w.SetVisible(Ctl::编辑框_断流延时, !device_source);
  w.SetVisible(Ctl::透明标签1, !device_source);
  w.SetVisible(Ctl::透明标签4, !device_source);
}

}  // namespace

void OnDeviceSourceClicked(App& app) { ShowSourceControls(app.window, true); }
void OnPullSourceClicked(App& app) { ShowSourceControls(app.window, false); }

App::App(Platform& platform_in, std::string run_directory)
    : platform(platform_in),
      window(platform_in.clock, platform_in.windows.ScreenArea()),
      RunDirectory(std::move(run_directory)) {}

void App::Start() {
  platform.files.SetCurrentDirectory(RunDirectory);
  window.SetEventSink(this);
  platform.events.SetTimerSource(&window);
  StartUp(*this);
}

void App::Close() {
  if (destroyed_) return;
  ShutDown(*this);
  destroyed_ = true;
  platform.events.SetTimerSource(nullptr);
  window.SetEventSink(nullptr);
}

void App::OnControlEvent(Ctl control, ControlEvent event, int arg) {
  using enum Ctl;
  using E = ControlEvent;
  switch (control) {
    case 选择夹1:
      // The tab change reads the current tab and does nothing with it.
      if (event == E::kTabChanged) (void)window.CurrentTab(选择夹1);
      break;
    case 单选框rtmp:
      if (event == E::kClicked) OnPullSourceClicked(*this);
      break;
    case 单选框设备:
      if (event == E::kClicked) OnDeviceSourceClicked(*this);
      break;
    case 组合框1视频设备:
      if (event == E::kListItemSelected) OnVideoDeviceSelected(*this);
      break;
    case 组合框选码率:
      if (event == E::kListItemSelected) OnBitrateModeSelected(*this);
      break;
    case 选择框1录制时长:
      if (event == E::kClicked) ComposeDurationArg(*this);
      break;
    case 按钮_保存到:
      if (event == E::kClicked) OnSaveToClicked(*this);
      break;
    case 编辑框_视频路径:
      if (event == E::kTextChanged) OnOutputPathChanged(*this);
      break;
    case 标签1默认:
      // Its feedback event does nothing.
      if (event == E::kLeftButtonReleased) OnDefaultLabelReleased(*this);
      break;
    case 按钮_开始录制:
      if (event == E::kClicked) StartRecording(*this);
      break;
    case 按钮_停止录制:
      if (event == E::kClicked) StopRecording(*this);
      break;
    case 时钟1ffmpeg:
      if (event == E::kTick) OnRecorderWatchdogTick(*this);
      break;
    case 选择框_定时录制:
      if (event == E::kClicked) OnScheduleBoxClicked(*this);
      break;
    case 编辑框定时录制:
      // Its text-changed event does nothing.
      if (event == E::kKeyReleased) OnScheduleTimeKeyReleased(*this, arg);
      break;
    case 时钟1定时录制:
      if (event == E::kTick) OnScheduleTimerTick(*this);
      break;
    case 选择框2预览:
      if (event == E::kClicked) OnPreviewBoxClicked(*this);
      break;
    case 时钟2ffplay:
      if (event == E::kTick) OnPreviewWatchdogTick(*this);
      break;
    case 按钮2保存:
      if (event == E::kClicked) OnSaveSettingsClicked(*this);
      break;
    case 按钮1导入:
      if (event == E::kClicked) OnImportSettingsClicked(*this);
      break;
    default:
      // 组合框2音频设备 and 组合框帧率 have nothing to do beyond the choice itself; no other
      // control has a handler.
      break;
  }
}

}  // namespace morvane
