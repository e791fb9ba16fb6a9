#include "recording/schedule.h"

#include "app/app.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "recording/date_time.h"
#include "recording/recording_control.h"

namespace morvane {

namespace {
constexpr int kEnterKey = 13;
}  // namespace

void OnScheduleBoxClicked(App& app) {
  WindowModel& w = app.window;
  if (w.Checked(Ctl::选择框_定时录制)) {
    w.SetPeriod(Ctl::时钟1定时录制, 1000);
  } else {
    w.SetPeriod(Ctl::时钟1定时录制, 0);
    SetCaption(app, msg::kCaptionIdle);
  }
}

void OnScheduleTimeKeyReleased(App& app, int key_code) {
  // Enter hands the focus to the window, so the box shows its time in the one text form.
  if (key_code == kEnterKey) app.window.FocusWindow();
}

void OnScheduleTimerTick(App& app) {
  WindowModel& w = app.window;
  SetCaption(app, DateTimeToText(CurrentDateTime(app.platform.clock)));
  const DateTime scheduled = TextToDateTime(w.Text(Ctl::编辑框定时录制));
  const DateTime now = CurrentDateTime(app.platform.clock);
  if (scheduled.Clamped() != now.Clamped()) return;

  w.SetPeriod(Ctl::时钟1定时录制, 0);
  AppendToLog(app, msg::kScheduleFired);
  StartRecording(app);
  SetCaption(app, msg::kCaptionScheduleRunning);
}

}  // namespace morvane
