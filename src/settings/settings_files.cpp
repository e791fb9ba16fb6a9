#include "settings/settings_files.h"

#include "app/app.h"
#include "settings/restore.h"
#include "text/gbk_text.h"
#include "text/numbers.h"

namespace morvane {
namespace {

constexpr std::string_view kItemSeparator = "<||>";
constexpr std::string_view kValueSeparator = "<|>";
constexpr std::string_view kQuote = "\"";
constexpr std::string_view kQuoteEscape = "#引号";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kLineBreakEscape = "><br><";
constexpr std::string_view kTrue = "真";
constexpr std::string_view kFalse = "假";

constexpr std::string_view kEditBoxExclusions = "编辑框1日志|编辑框_视频路径";
constexpr std::string_view kCheckBoxExclusions = "选择框2预览";

std::string_view Section(Kind kind) { return KindName(kind); }

// The controls of the kind, in control order, found by the kind's name as the toolkit does.
std::vector<Ctl> ControlsOfKind(const App& app, Kind kind) {
  return app.window.FindControlsOfKind(Section(kind));
}

// Writes each control's value that `value_of` gives, skipping the excluded ones.
template <typename ValueOf>
void SaveKind(App& app, Kind kind, std::string_view file, std::string_view exclusions,
              ValueOf value_of) {
  for (Ctl c : ControlsOfKind(app, kind)) {
    if (!NotInList(exclusions, ControlName(c))) continue;
    app.platform.profiles.WriteProfileString(Section(kind), ControlName(c), value_of(c), file);
  }
}

// Hands each control's non-empty stored value to `apply`.
template <typename Apply>
void LoadKind(App& app, Kind kind, std::string_view file, Apply apply) {
  for (Ctl c : ControlsOfKind(app, kind)) {
    const std::string value =
        app.platform.profiles.GetProfileString(Section(kind), ControlName(c), file);
    if (!value.empty()) apply(c, value);
  }
}

int32_t WholeNumber(std::string_view text) { return TruncateToInt32(TextToNumber(text)); }

void SaveCheckedStates(App& app, Kind kind, std::string_view file, std::string_view exclusions) {
  SaveKind(app, kind, file, exclusions,
           [&](Ctl c) { return std::string(app.window.Checked(c) ? kTrue : kFalse); });
}

void LoadCheckedStates(App& app, Kind kind, std::string_view file) {
  LoadKind(app, kind, file,
           [&](Ctl c, const std::string& value) { app.window.SetChecked(c, value != kFalse); });
}

}  // namespace

bool NotInList(std::string_view list, std::string_view name) {
  std::vector<std::string> entries = SplitText(list, "|");
  // The empty list gives one empty piece, and "a|" a trailing one: neither is an entry.
  if (!entries.empty() && entries.back().empty()) entries.pop_back();
  for (const std::string& entry : entries) {
    if (entry == name) return false;
  }
  return true;
}

std::string TextBeforeFirst(std::string_view text, std::string_view separator) {
  const int pos = FindText(text, separator);
  if (pos < 0) return {};
  return std::string(text.substr(0, static_cast<std::size_t>(pos - 1)));
}

std::string TextAfterLast(std::string_view text, std::string_view separator) {
  const int pos = FindLastText(text, separator);
  if (pos < 0) return {};
  return std::string(text.substr(static_cast<std::size_t>(pos - 1) + separator.size()));
}

std::string ComposeComboValue(const ComboValue& combo) {
  std::string value;
  for (const ComboItem& item : combo.items) {
    value += item.text;
    value += kValueSeparator;
    value += FormatInt(item.value);
    value += kItemSeparator;
  }
  value += FormatInt(combo.selection);
  value += kValueSeparator;
  value += combo.text;
  return ReplaceAll(value, kQuote, kQuoteEscape);
}

ComboValue ParseComboValue(std::string_view stored) {
  const std::string value = ReplaceAll(stored, kQuoteEscape, kQuote);
  std::vector<std::string> elements = SplitText(value, kItemSeparator);
  // The text after the last separator is an element only when it is not empty.
  if (elements.size() > 1 && elements.back().empty()) elements.pop_back();

  ComboValue combo;
  for (std::size_t i = 0; i + 1 < elements.size(); ++i) {
    combo.items.push_back({TextBeforeFirst(elements[i], kValueSeparator),
                           WholeNumber(TextAfterLast(elements[i], kValueSeparator))});
  }
  const std::string& last = elements.back();
  combo.selection = WholeNumber(TextBeforeFirst(last, kValueSeparator));
  combo.text = TextAfterLast(last, kValueSeparator);
  return combo;
}

void SaveEditBoxes(App& app, std::string_view file, std::string_view exclusions) {
  SaveKind(app, Kind::kEditBox, file, exclusions, [&](Ctl c) {
    return ReplaceAll(ReplaceAll(app.window.Text(c), kLineBreak, kLineBreakEscape), kQuote,
                      kQuoteEscape);
  });
}

void SaveComboBoxes(App& app, std::string_view file, std::string_view exclusions) {
  const WindowModel& w = app.window;
  SaveKind(app, Kind::kComboBox, file, exclusions, [&](Ctl c) {
    ComboValue combo;
    for (int i = 0; i < w.ItemCount(c); ++i) {
      combo.items.push_back({std::string(w.ItemText(c, i)), w.ItemValue(c, i)});
    }
    combo.selection = w.Selection(c);
    combo.text = w.Text(c);
    return ComposeComboValue(combo);
  });
}

void SaveRadioButtons(App& app, std::string_view file, std::string_view exclusions) {
  SaveCheckedStates(app, Kind::kRadioButton, file, exclusions);
}

void SaveCheckBoxes(App& app, std::string_view file, std::string_view exclusions) {
  SaveCheckedStates(app, Kind::kCheckBox, file, exclusions);
}

void LoadEditBoxes(App& app, std::string_view file) {
  LoadKind(app, Kind::kEditBox, file, [&](Ctl c, const std::string& value) {
    app.window.SetText(
        c, ReplaceAll(ReplaceAll(value, kLineBreakEscape, kLineBreak), kQuoteEscape, kQuote));
  });
}

void LoadComboBoxes(App& app, std::string_view file) {
  WindowModel& w = app.window;
  LoadKind(app, Kind::kComboBox, file, [&](Ctl c, const std::string& value) {
    ComboValue combo = ParseComboValue(value);
    w.RemoveAllItems(c);
    for (ComboItem& item : combo.items) w.AddItem(c, std::move(item.text), item.value);
    // The selection goes first, so an editable box ends up showing the stored text.
    w.SetSelection(c, combo.selection);
    w.SetText(c, std::move(combo.text));
  });
}

void LoadRadioButtons(App& app, std::string_view file) {
  LoadCheckedStates(app, Kind::kRadioButton, file);
}

void LoadCheckBoxes(App& app, std::string_view file) {
  LoadCheckedStates(app, Kind::kCheckBox, file);
}

void SaveSettingsFile(App& app, std::string_view file) {
  SaveEditBoxes(app, file, kEditBoxExclusions);
  SaveComboBoxes(app, file, "");
  SaveRadioButtons(app, file, "");
  SaveCheckBoxes(app, file, kCheckBoxExclusions);
}

void LoadSettingsFile(App& app, std::string_view file) {
  LoadComboBoxes(app, file);
  LoadEditBoxes(app, file);
  LoadRadioButtons(app, file);
  LoadCheckBoxes(app, file);
}

void OnSaveSettingsClicked(App& app) { SaveSettingsFile(app, app.RunDirectory + "\\conf.ini"); }

void OnImportSettingsClicked(App& app) {
  LoadSettingsFile(app, app.RunDirectory + "\\conf.ini");
  ApplyRestoredSettings(app);
}

}  // namespace morvane
