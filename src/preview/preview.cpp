#include "preview/preview.h"

#include <string>

#include "app/app.h"
#include "app/window_search.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "recording/recorder_command.h"

namespace morvane {
namespace {

constexpr std::string_view kPreviewerExe = "ffplay.exe";
constexpr std::string_view kPreviewTitle = "预览";

WindowHandle FindWindowTitled(App& app, std::string_view title_part) {
  app.SearchTitle = std::string(title_part);
  return FindWindowByTitlePart(app);
}

// Starts the previewer on the chosen source and logs it. False when the device source has no
// video device chosen: the click is refused and nothing else of opening runs.
bool StartPreviewer(App& app) {
  using enum Ctl;
  WindowModel& w = app.window;
  Processes& processes = app.platform.processes;

  // The preview's own form of the device argument, composed whatever the source.
  app.VideoInputArg = "  -f dshow -i video=" +
                      std::string(w.ItemText(组合框1视频设备, w.Selection(组合框1视频设备)));

  if (w.Checked(单选框设备)) {
    if (w.Text(组合框1视频设备).empty()) {
      AppendLogEntry(app, msg::kPreviewNeedsDevice, 2, false);
      w.SetChecked(选择框2预览, false);
      return false;
    }
    const std::string command = app.RunDirectory + "\\ffplay.exe -y 350 -window_title \"预览\"" +
                                app.DeinterlaceArg + app.VideoInputArg;
    if (processes.RunProgram(command, ShowMode::kNormal)) {
      AppendLogEntry(app, std::string(msg::kPreviewDevice) + command, 2, false);
      AppendToLog(app, msg::kPreviewDeviceSlow);
    }
    return true;
  }

  const std::string& url = w.Text(编辑框_推流地址);
  const std::string command = app.RunDirectory +
                              "\\ffplay.exe  -y 350  -window_title \"预览\" -fflags nobuffer " +
                              app.DeinterlaceArg + url;
  if (processes.RunProgram(command, ShowMode::kNormal)) {
    AppendLogEntry(app, std::string(msg::kPreviewStream) + url, 2, false);
    AppendToLog(app, "\r\n" + command);
    AppendToLog(app, msg::kPreviewStreamSlow);
  }
  return true;
}

// Waits for the previewer's windows, minimises its console window and puts the video window (or,
// when that has not opened yet, the console window) against the main window's right edge.
void PlacePreviewWindow(App& app) {
  Windows& windows = app.platform.windows;
  // Other handlers, timer ticks included, may run during this first second.
  app.platform.events.DelayWithEvents(1000);

  WindowHandle window = FindWindowTitled(app, kPreviewerExe);
  if (window != kNoWindow) windows.CloseWindow(window);

  app.platform.events.Sleep(1000);

  if (const WindowHandle video = FindWindowTitled(app, kPreviewTitle); video != kNoWindow) {
    window = video;
  }
  app.window.SetPeriod(Ctl::时钟2ffplay, 1000);

  const Rect main = app.window.WindowRect();
  if (window != kNoWindow) {
    windows.MoveWindow(window, {main.left + main.width, main.top, main.width, main.height}, true);
  }
}

void ClosePreviews(App& app) {
  Processes& processes = app.platform.processes;
  // Each listed previewer is ended by its own process id, so one that is still ending cannot be
  // hit twice while another keeps running.
  for (const ProcessEntry& process : processes.ListProcesses()) {
    if (process.exe_name != kPreviewerExe) continue;
    AppendLogEntry(app, msg::kPreviewClosed, 2, false);
    processes.TerminateProcess(process.pid);
    app.window.SetPeriod(Ctl::时钟2ffplay, 0);
  }
}

}  // namespace

void OnPreviewBoxClicked(App& app) {
  // Every entry of this click carries this one number; a click that writes none skips it.
  ++app.LogCounter;
  ComposeDeinterlaceArg(app);

  if (app.window.Checked(Ctl::选择框2预览)) {
    if (!StartPreviewer(app)) return;
    // Whether or not the previewer started: a failed start is reported by the watchdog.
    PlacePreviewWindow(app);
  } else {
    ClosePreviews(app);
  }
  SetLogColour(app, kLogWhite);
  SetCaption(app, msg::kCaptionIdle);
}

void OnPreviewWatchdogTick(App& app) {
  WindowModel& w = app.window;
  if (FindWindowTitled(app, kPreviewerExe) != kNoWindow) return;
  w.SetPeriod(Ctl::时钟2ffplay, 0);
  AppendLogEntry(app, msg::kPreviewerGone, 3, true);
  SetCaption(app, msg::kCaptionPreviewerGone);
  SetLogColour(app, kLogPinkRed);
  // A program write, not a click: the closing steps do not run.
  w.SetChecked(Ctl::选择框2预览, false);
  // Back to idle even while a recording continues.
  w.SetEnabled(Ctl::按钮_开始录制, true);
  w.SetEnabled(Ctl::按钮_停止录制, false);
}

}  // namespace morvane
