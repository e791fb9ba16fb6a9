#include "settings/restore.h"

#include <array>
#include <utility>

#include "app/app.h"
#include "recording/date_time.h"
#include "recording/recorder_command.h"

namespace morvane {
namespace {

// Combo boxes that get this item selected when a load leaves their text empty.
constexpr std::array<std::pair<Ctl, int>, 4> kDefaultItems = {{
    {Ctl::组合框帧率, 1},     // "25"
    {Ctl::组合框选码率, 0},   // "固定码率"
    {Ctl::组合框码率值1, 2},  // "3000k"
    {Ctl::组合框码率值2, 3},  // "4000k"
}};

}  // namespace

void ApplyRestoredSettings(App& app) {
  WindowModel& w = app.window;
  // Loading writes the radio buttons without raising their clicks, so their visibility sets are
  // applied here; with both checked the pull side, applied last, wins.
  if (w.Checked(Ctl::单选框设备)) OnDeviceSourceClicked(app);
  if (w.Checked(Ctl::单选框rtmp)) OnPullSourceClicked(app);

  const bool variable_bitrate = w.Selection(Ctl::组合框选码率) == 1;
  w.SetVisible(Ctl::组合框码率值2, variable_bitrate);
  w.SetVisible(Ctl::透明标签码率箭头, variable_bitrate);

  for (const auto& [combo, index] : kDefaultItems) {
    if (w.Text(combo).empty()) w.SetSelection(combo, index);
  }

  w.SetText(Ctl::编辑框定时录制, DateTimeToText(CurrentDateTime(app.platform.clock)));
  if (w.Text(Ctl::编辑框录制时长).empty()) w.SetText(Ctl::编辑框录制时长, "60");
  w.SetPeriod(Ctl::时钟1定时录制, w.Checked(Ctl::选择框_定时录制) ? 1000 : 0);
  ComposeDurationArg(app);
}

}  // namespace morvane
