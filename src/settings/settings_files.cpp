#include "settings/settings_files.h"

#include "app/app.h"

namespace morvane {

void OnSaveSettingsClicked(App&) {}
void OnImportSettingsClicked(App&) {}

}  // namespace morvane
