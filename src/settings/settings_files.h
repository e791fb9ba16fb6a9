// Saving the window's control states to INI files and loading them back.
#pragma once

namespace morvane {

struct App;

void OnSaveSettingsClicked(App& app);
void OnImportSettingsClicked(App& app);

}  // namespace morvane
