// The window's created event (start-up) and will-be-destroyed event (shut-down).
#pragma once

namespace morvane {

struct App;

void StartUp(App& app);
void ShutDown(App& app);

}  // namespace morvane
