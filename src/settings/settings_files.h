// Saving the window's control states to INI files and loading them back, by control kind.
//
// Every edit box, combo box, radio button and check box of the window takes part, found by its
// kind when the file is written or read: the kind's name is the section, the control's name the
// key. Nothing is cached and nothing is reported; a value that is missing leaves its control alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_model.h"

namespace morvane {

struct App;

// True when no entry of the "|"-separated list equals `name` byte for byte. An empty list has no
// entries, and an empty piece after a final "|" is no entry.
bool NotInList(std::string_view list, std::string_view name);
// The text before the first occurrence of `separator`; empty when it does not occur.
std::string TextBeforeFirst(std::string_view text, std::string_view separator);
// The text after the last occurrence of `separator`; empty when it does not occur.
std::string TextAfterLast(std::string_view text, std::string_view separator);

// A combo box's state as its stored value describes it. `selection` is what the value says; the
// combo box clamps it into its list when it is written.
struct ComboValue {
  std::vector<ComboItem> items;
  int32_t selection = 0;
  std::string text;
};

// The stored form of a combo box: "text<|>value<||>" per item, then "selection<|>text", with every
// double quote written as "#引号".
std::string ComposeComboValue(const ComboValue& combo);
// Reads a value as written by ComposeComboValue, or any other text: the elements between "<||>"
// (a last empty one is dropped) give the items, the last element the selection and the text.
ComboValue ParseComboValue(std::string_view stored);

// The four kinds, each to and from its own section. A save skips the controls named in
// `exclusions` ("|"-separated control names); a load applies every non-empty value it finds.
void SaveEditBoxes(App& app, std::string_view file, std::string_view exclusions);
void SaveComboBoxes(App& app, std::string_view file, std::string_view exclusions);
void SaveRadioButtons(App& app, std::string_view file, std::string_view exclusions);
void SaveCheckBoxes(App& app, std::string_view file, std::string_view exclusions);
void LoadEditBoxes(App& app, std::string_view file);
void LoadComboBoxes(App& app, std::string_view file);
void LoadRadioButtons(App& app, std::string_view file);
void LoadCheckBoxes(App& app, std::string_view file);

// The whole window, leaving out the run log, the output path and the preview check box.
void SaveSettingsFile(App& app, std::string_view file);
// Combo boxes first, then edit boxes, radio buttons and check boxes. Callers run
// ApplyRestoredSettings right after it.
void LoadSettingsFile(App& app, std::string_view file);

// Save settings writes conf.ini beside the executable; Import settings reads it back and applies
// it.
void OnSaveSettingsClicked(App& app);
void OnImportSettingsClicked(App& app);

}  // namespace morvane
