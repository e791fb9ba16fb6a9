#include "recording/schedule.h"

#include "app/app.h"

namespace morvane {

void OnScheduleBoxClicked(App&) {}
void OnScheduleTimeKeyReleased(App&, int) {}
void OnScheduleTimerTick(App&) {}

}  // namespace morvane
