#include "app/startup.h"

#include <array>

#include "app/app.h"
#include "app/window_search.h"
#include "devices/discovery.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "settings/restore.h"
#include "settings/settings_files.h"

namespace morvane {
namespace {

// What cannot work without the recorder, disabled in this order when it is missing.
constexpr std::array kRecordingControls = {
    Ctl::按钮_开始录制,   Ctl::单选框设备,      Ctl::按钮_保存到,    Ctl::编辑框_视频路径,
    Ctl::编辑框_推流地址, Ctl::编辑框_断流延时, Ctl::组合框帧率,     Ctl::组合框选码率,
    Ctl::组合框码率值2,   Ctl::组合框码率值1,   Ctl::单选框rtmp,     Ctl::选择框反交错,
    Ctl::组合框反交错场,  Ctl::选择框1录制时长, Ctl::编辑框录制时长, Ctl::选择框_定时录制,
    Ctl::编辑框定时录制,
};

}  // namespace

void StartUp(App& app) {
  WindowModel& w = app.window;
  app.LogCounter = 0;
  w.SetWindowLeft(50);
  app.RecorderPath = app.RunDirectory + "\\ffmpeg.exe";
  AppendLogEntry(app, "", 2, true);

  if (app.platform.files.Exists(app.RecorderPath)) {
    DiscoverCaptureDevices(app);
  } else {
    for (Ctl c : kRecordingControls) w.SetEnabled(c, false);
    AppendToLog(app, msg::kRecorderMissing);
  }
  if (!app.platform.files.Exists(app.RunDirectory + "\\ffplay.exe")) {
    w.SetEnabled(Ctl::选择框2预览, false);
    AppendToLog(app, msg::kPreviewerMissing);
  }
  if (w.Checked(Ctl::单选框设备)) {
    w.SetEnabled(Ctl::组合框1视频设备, true);
    w.SetEnabled(Ctl::组合框2音频设备, true);
  }
  w.SetFillBackground(Ctl::选择夹1, true, std::nullopt);

  // The previous run's state; the stored device lists replace the ones just discovered.
  LoadSettingsFile(app, app.RunDirectory + "\\last.ini");
  ApplyRestoredSettings(app);
}

void ShutDown(App& app) {
  app.SearchTitle = "ffmpeg.exe";
  if (WindowHandle recorder = FindWindowByTitlePart(app); recorder != kNoWindow) {
    app.platform.windows.PostCloseMessage(recorder);
  }
  // No file stays open between profile calls, so there is no file left to close here.
  // Every previewer running when the list is taken ends, each by its own process id.
  for (const ProcessEntry& process : app.platform.processes.ListProcesses()) {
    if (process.exe_name == "ffplay.exe") app.platform.processes.TerminateProcess(process.pid);
  }
  SaveSettingsFile(app, app.RunDirectory + "\\last.ini");
}

}  // namespace morvane
