// The recorder's command line, composed from the window's recording options.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

struct App;

// The argument text for one recorder start; the full command line is RecorderPath followed by it.
std::string ComposeRecorderArguments(App& app, std::string_view output_path);
// Sets DurationArg from the limit-duration box and the minutes box.
void ComposeDurationArg(App& app);
// Sets DeinterlaceArg from the de-interlace box and the field order.
void ComposeDeinterlaceArg(App& app);

void OnVideoDeviceSelected(App& app);
void OnBitrateModeSelected(App& app);

}  // namespace morvane
