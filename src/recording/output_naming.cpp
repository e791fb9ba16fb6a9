#include "recording/output_naming.h"

#include "app/app.h"

namespace morvane {

std::string ChooseOutputPath(App&) { return {}; }
void OnSaveToClicked(App&) {}
void OnOutputPathChanged(App&) {}
void OnDefaultLabelReleased(App&) {}

}  // namespace morvane
