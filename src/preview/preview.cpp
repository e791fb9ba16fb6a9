#include "preview/preview.h"

#include "app/app.h"

namespace morvane {

void OnPreviewBoxClicked(App&) {}
void OnPreviewWatchdogTick(App&) {}

}  // namespace morvane
