// The scheduled start: a recording that starts by itself at a set second.
#pragma once

namespace morvane {

struct App;

void OnScheduleBoxClicked(App& app);
void OnScheduleTimeKeyReleased(App& app, int key_code);
void OnScheduleTimerTick(App& app);

}  // namespace morvane
