#include "recording/recording_control.h"

#include "app/app.h"
#include "app/window_search.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "recording/output_naming.h"
#include "recording/recorder_command.h"

namespace morvane {
namespace {

void ShowRecording(WindowModel& w, bool recording) {
  w.SetEnabled(Ctl::按钮_开始录制, !recording);
  w.SetEnabled(Ctl::按钮_停止录制, recording);
}

// The schedule controls become usable again, and its timer runs again while its box is ticked.
void ReleaseSchedule(WindowModel& w) {
  if (w.Checked(Ctl::选择框_定时录制)) w.SetPeriod(Ctl::时钟1定时录制, 1000);
  w.SetEnabled(Ctl::选择框_定时录制, true);
  w.SetEnabled(Ctl::编辑框定时录制, true);
}

WindowHandle FindRecorderWindow(App& app) {
  app.SearchTitle = "ffmpeg.exe";
  return FindWindowByTitlePart(app);
}

}  // namespace

void StartRecording(App& app) {
  WindowModel& w = app.window;
  const std::string path = ChooseOutputPath(app);

  if (w.Checked(Ctl::单选框设备) && w.Text(Ctl::组合框1视频设备).empty()) {
    ++app.LogCounter;
    SetLogColour(app, kLogMagenta);
    AppendLogEntry(app, msg::kRecordRefused, 2, false);
    SetCaption(app, msg::kCaptionRecordRefused);
    SetCaption(app, msg::kCaptionIdle);
    ReleaseSchedule(w);
    return;
  }

  const std::string args = ComposeRecorderArguments(app, path);
  ++app.LogCounter;
  if (app.platform.processes.RunProgram(app.RecorderPath + args, ShowMode::kMinimize)) {
    AppendLogEntry(app, std::string(msg::kRecorderStarted) + args, 2, false);
    SetLogColour(app, kLogWhite);
    SetCaption(app, msg::kCaptionIdle);
  }
  // A recorder that could not be started is reported by the watchdog's first tick.
  ShowRecording(w, true);
  w.SetEnabled(Ctl::选择框_定时录制, false);
  w.SetEnabled(Ctl::编辑框定时录制, false);
  w.SetPeriod(Ctl::时钟1ffmpeg, 1000);
}

void StopRecording(App& app) {
  WindowModel& w = app.window;
  const WindowHandle recorder = FindRecorderWindow(app);
  AppendLogEntry(app, msg::kRecordingStopped, 2, true);
  // The recorder finishes its file when its console window closes; nothing waits for that.
  if (recorder != kNoWindow) app.platform.windows.PostCloseMessage(recorder);
  ShowRecording(w, false);
  w.SetPeriod(Ctl::时钟1ffmpeg, 0);
  ReleaseSchedule(w);
}

void OnRecorderWatchdogTick(App& app) {
  WindowModel& w = app.window;
  if (FindRecorderWindow(app) != kNoWindow) return;
  w.SetPeriod(Ctl::时钟1ffmpeg, 0);
  AppendLogEntry(app, msg::kRecorderGone, 3, true);
  SetLogColour(app, kLogPinkRed);
  SetCaption(app, msg::kCaptionRecorderGone);
  ShowRecording(w, false);
  ReleaseSchedule(w);
}

}  // namespace morvane
