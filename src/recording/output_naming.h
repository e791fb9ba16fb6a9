// Output file names: the default date-time name, the save dialog, and never overwriting.
#pragma once

#include <string>

namespace morvane {

struct App;

// The output path for one recorder start.
std::string ChooseOutputPath(App& app);

void OnSaveToClicked(App& app);
void OnOutputPathChanged(App& app);
void OnDefaultLabelReleased(App& app);

}  // namespace morvane
