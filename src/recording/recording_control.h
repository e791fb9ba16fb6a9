// Starting and stopping the recorder, and the watchdog that notices its end.
#pragma once

namespace morvane {

struct App;

void StartRecording(App& app);
void StopRecording(App& app);
void OnRecorderWatchdogTick(App& app);

}  // namespace morvane
