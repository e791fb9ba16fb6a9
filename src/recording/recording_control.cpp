#include "recording/recording_control.h"

#include "app/app.h"

namespace morvane {

void StartRecording(App&) {}
void StopRecording(App&) {}
void OnRecorderWatchdogTick(App&) {}

}  // namespace morvane
