// The live preview of the chosen source beside the main window, and its watchdog.
#pragma once

namespace morvane {

struct App;

void OnPreviewBoxClicked(App& app);
void OnPreviewWatchdogTick(App& app);

}  // namespace morvane
