// Deriving the window state that depends on restored control states.
#pragma once

namespace morvane {

struct App;

// Runs right after every settings load, which writes control states without raising their
// events: applies the source and bitrate-mode visibility, selects default items in combo boxes
// left without text, fills the duration and scheduled-time boxes, switches the schedule timer and
// composes DurationArg.
void ApplyRestoredSettings(App& app);

}  // namespace morvane
