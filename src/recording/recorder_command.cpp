#include "recording/recorder_command.h"

#include "app/app.h"

namespace morvane {

std::string ComposeRecorderArguments(App&, std::string_view) { return {}; }
void ComposeDurationArg(App&) {}
void ComposeDeinterlaceArg(App&) {}
void OnVideoDeviceSelected(App&) {}
void OnBitrateModeSelected(App&) {}

}  // namespace morvane
