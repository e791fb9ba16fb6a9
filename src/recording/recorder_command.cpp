#include "recording/recorder_command.h"

#include <cstdint>
#include <string>

#include "app/app.h"
#include "log/run_log.h"
#include "text/numbers.h"

namespace morvane {
namespace {

// The text of the item at the box's current selection; empty when nothing is selected.
std::string SelectedItemText(const WindowModel& w, Ctl box) {
  return std::string(w.ItemText(box, w.Selection(box)));
}

// The stream-break delay as the recorder's time-out in microseconds. Computed in 64 bits so that
// delays of 2148 s and more stay positive; a negative delay keeps its sign.
std::string DelayMicroseconds(std::string_view delay_text) {
  const int64_t seconds = ReadInteger(delay_text);
  return FormatInt(seconds * 1000000);
}

}  // namespace

std::string ComposeRecorderArguments(App& app, std::string_view output_path) {
  using enum Ctl;
  const WindowModel& w = app.window;

  const std::string pull_url = w.Text(编辑框_推流地址);
  const std::string delay_us = DelayMicroseconds(w.Text(编辑框_断流延时));

  if (w.Checked(单选框设备)) {
    app.VideoInputArg = " -f dshow -i video=" + SelectedItemText(w, 组合框1视频设备);
    app.AudioInputArg = w.Text(组合框2音频设备).empty()
                            ? std::string(" ")
                            : " -f dshow -i audio=" + SelectedItemText(w, 组合框2音频设备);
    app.SourceArgs = app.VideoInputArg + app.AudioInputArg +
                     " -vcodec libx264 -pix_fmt yuv420p -acodec aac -strict -2 ";
  }
  // Tested after the device source, so the pull form wins when both buttons are selected; with
  // neither selected the arguments of the previous start stay.
  if (w.Checked(单选框rtmp)) {
    app.SourceArgs = " -rw_timeout " + delay_us + " -i " + pull_url + " -c copy ";
  }

  app.FrameRateArg = "-r " + w.Text(组合框帧率);
  const std::string& bitrate = w.Text(组合框码率值1);
  app.BitrateArg = " -b:v " + bitrate + " -bufsize " + bitrate;
  app.MaxRateArg = " -maxrate " + w.Text(组合框码率值2);
  ComposeDeinterlaceArg(app);
  if (w.Selection(组合框选码率) == 0) app.MaxRateArg.clear();

  // DurationArg enters as last composed (duration box click or settings restore).
  std::string arguments = app.SourceArgs;
  arguments += app.FrameRateArg;
  arguments += app.BitrateArg;
  arguments += app.MaxRateArg;
  arguments += app.DurationArg;
  arguments += app.DeinterlaceArg;
  arguments += output_path;
  return arguments;
}

void ComposeDurationArg(App& app) {
  const WindowModel& w = app.window;
  if (!w.Checked(Ctl::选择框1录制时长)) {
    app.DurationArg.clear();
    return;
  }
  const float minutes = ReadSingle(w.Text(Ctl::编辑框录制时长));
  const float seconds = static_cast<float>(static_cast<double>(minutes) * 60.0);
  app.DurationArg = " -t " + FormatGeneral6(static_cast<double>(seconds));
}

void ComposeDeinterlaceArg(App& app) {
  const WindowModel& w = app.window;
  if (w.Checked(Ctl::选择框反交错)) {
    const int32_t parity = w.ItemValue(Ctl::组合框反交错场, w.Selection(Ctl::组合框反交错场));
    app.DeinterlaceArg = " -vf yadif=mode=0:parity=" + FormatInt(parity) + ":deint=0 ";
  } else {
    // Not `= " "`: GCC 12 at -O3 reports a false -Wrestrict overlap for that assignment here.
    app.DeinterlaceArg.assign(1, ' ');
  }
}

void OnVideoDeviceSelected(App& app) {
  // A write from code raises no click, so an open preview stays open.
  app.window.SetChecked(Ctl::选择框2预览, false);
}

void OnBitrateModeSelected(App& app) {
  using enum Ctl;
  WindowModel& w = app.window;
  const bool variable = w.Selection(组合框选码率) == 1;
  w.SetVisible(透明标签码率箭头, variable);
  w.SetVisible(组合框码率值2, variable);
  // The items at the current selections, not the typed texts.
  SetCaption(app, SelectedItemText(w, 组合框码率值1) + "-" + SelectedItemText(w, 组合框码率值2));
}

}  // namespace morvane
