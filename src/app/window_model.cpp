#include "app/window_model.h"

#include <algorithm>
#include <array>

#include "platform/clock.h"
#include "recording/date_time.h"
#include "text/gbk_text.h"

namespace morvane {
namespace {

constexpr std::array<std::string_view, kControlCount> kControlNames = {
#define MORVANE_CONTROL_NAME(name) #name,
    MORVANE_CONTROLS(MORVANE_CONTROL_NAME)
#undef MORVANE_CONTROL_NAME
};

constexpr std::array<std::string_view, 11> kKindNames = {
    "选择夹", "编辑框",   "组合框", "单选框", "选择框",     "按钮",
    "标签",   "透明标签", "分组框", "时钟",   "通用对话框",
};

const std::string kEmptyText;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view ControlName(Ctl control) { return kControlNames[static_cast<int>(control)]; }

std::optional<Ctl> ControlByName(std::string_view name) {
  for (int i = 0; i < kControlCount; ++i) {
    if (kControlNames[i] == name) return static_cast<Ctl>(i);
  }
  return std::nullopt;
}

std::string_view KindName(Kind kind) { return kKindNames[static_cast<int>(kind)]; }

WindowModel::WindowModel(Clock& clock, const Rect& screen)
    : clock_(clock), controls_(MainWindowControls()), caption_("Morvane") {
  window_rect_ = {screen.left + (screen.width - kMainWindowWidth) / 2,
                  screen.top + (screen.height - kMainWindowHeight) / 2, kMainWindowWidth,
                  kMainWindowHeight};
}

std::vector<Ctl> WindowModel::FindControlsOfKind(Kind kind) const {
  std::vector<Ctl> found;
  for (const ControlState& c : controls_) {
    if (c.kind == kind) found.push_back(c.id);
  }
  return found;
}

std::vector<Ctl> WindowModel::FindControlsOfKind(std::string_view kind_name) const {
  for (std::size_t k = 0; k < kKindNames.size(); ++k) {
    if (kKindNames[k] == kind_name) return FindControlsOfKind(static_cast<Kind>(k));
  }
  return {};
}

void WindowModel::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed(std::nullopt, ModelProperty::kCaption);
}

void WindowModel::SetWindowLeft(int left) {
  Rect rect = window_rect_;
  rect.left = left;
  SetWindowRect(rect);
}

void WindowModel::SetWindowRect(const Rect& rect) {
  if (rect == window_rect_) return;
  window_rect_ = rect;
  Changed(std::nullopt, ModelProperty::kWindowRect);
}

void WindowModel::UserMoveWindow(const Rect& rect) { SetWindowRect(rect); }

void WindowModel::FocusWindow() {
  if (std::optional<Ctl> old = focus_) {
    SetFocusTo(std::nullopt);
    LoseFocus(*old);
  }
}

void WindowModel::SetVisible(Ctl c, bool visible) {
  ControlState& s = Mutable(c);
  if (s.visible == visible) return;
  s.visible = visible;
  Changed(c, ModelProperty::kVisible);
}

void WindowModel::SetEnabled(Ctl c, bool enabled) {
  ControlState& s = Mutable(c);
  if (s.enabled == enabled) return;
  s.enabled = enabled;
  Changed(c, ModelProperty::kEnabled);
}

void WindowModel::SetTextColour(Ctl c, Rgb colour) {
  ControlState& s = Mutable(c);
  if (s.text_colour == colour) return;
  s.text_colour = colour;
  Changed(c, ModelProperty::kTextColour);
}

void WindowModel::SetChecked(Ctl c, bool checked) {
  ControlState& s = Mutable(c);
  if (s.checked == checked) return;
  s.checked = checked;
  Changed(c, ModelProperty::kChecked);
}

const std::string& WindowModel::Text(Ctl c) const {
  const ControlState& s = Control(c);
  if (s.kind == Kind::kComboBox && !s.editable) {
    return s.selection >= 0 ? s.items[s.selection].text : kEmptyText;
  }
  return s.text;
}

void WindowModel::SetText(Ctl c, std::string text) {
  ControlState& s = Mutable(c);
  if (s.kind == Kind::kComboBox && !s.editable) return;
  const bool changed = s.text != text || (s.kind == Kind::kEditBox &&
                                          (s.selection_start != 0 || s.selection_length != 0));
  s.text = std::move(text);
  if (s.kind == Kind::kEditBox) {
    s.selection_start = 0;
    s.selection_length = 0;
  }
  if (changed) Changed(c, ModelProperty::kText);
  if (s.kind == Kind::kEditBox) Raise(c, ControlEvent::kTextChanged);
}

void WindowModel::AppendText(Ctl c, std::string_view text) {
  ControlState& s = Mutable(c);
  s.text.append(text);
  s.selection_start = static_cast<int>(s.text.size());
  s.selection_length = 0;
  if (observer_ != nullptr) observer_->OnTextAppended(c, text);
  if (s.kind == Kind::kEditBox) Raise(c, ControlEvent::kTextChanged);
}

std::string_view WindowModel::ItemText(Ctl c, int index) const {
  const ControlState& s = Control(c);
  if (index < 0 || index >= static_cast<int>(s.items.size())) return {};
  return s.items[index].text;
}

int32_t WindowModel::ItemValue(Ctl c, int index) const {
  const ControlState& s = Control(c);
  if (index < 0 || index >= static_cast<int>(s.items.size())) return -1;
  return s.items[index].value;
}

void WindowModel::SetSelection(Ctl c, int index) {
  ControlState& s = Mutable(c);
  const int selection = std::clamp(index, -1, static_cast<int>(s.items.size()) - 1);
  if (selection != s.selection) {
    s.selection = selection;
    Changed(c, ModelProperty::kSelection);
  }
  if (s.editable) {
    std::string text = s.selection >= 0 ? s.items[s.selection].text : std::string();
    if (text != s.text) {
      s.text = std::move(text);
      Changed(c, ModelProperty::kText);
    }
  }
}

void WindowModel::AddItem(Ctl c, std::string text, int32_t value) {
  Mutable(c).items.push_back({std::move(text), value});
  Changed(c, ModelProperty::kItems);
}

void WindowModel::RemoveAllItems(Ctl c) {
  ControlState& s = Mutable(c);
  const bool had_items = !s.items.empty();
  s.items.clear();
  if (had_items) Changed(c, ModelProperty::kItems);
  SetSelection(c, -1);  // an editable box's text goes with it
}

void WindowModel::SetFillBackground(Ctl c, bool fill, std::optional<Rgb> background) {
  ControlState& s = Mutable(c);
  if (s.fill_background == fill && s.background == background) return;
  s.fill_background = fill;
  s.background = background;
  Changed(c, ModelProperty::kBackground);
}

void WindowModel::SetPeriod(Ctl c, int period_ms) {
  ControlState& s = Mutable(c);
  period_ms = std::max(period_ms, 0);
  if (period_ms == s.period) return;
  s.period = period_ms;
  s.next_due = period_ms > 0 ? clock_.MonotonicMs() + period_ms : -1;
  Changed(c, ModelProperty::kPeriod);
}

void WindowModel::TimerElapsed(Ctl c) {
  ControlState& s = Mutable(c);
  if (s.kind != Kind::kTimer || s.period <= 0) return;
  s.next_due = clock_.MonotonicMs() + s.period;
  Raise(c, ControlEvent::kTick);
}

int64_t WindowModel::NextTimerDue() const {
  int64_t next = -1;
  for (const ControlState& s : controls_) {
    if (s.kind == Kind::kTimer && s.period > 0 && (next < 0 || s.next_due < next)) {
      next = s.next_due;
    }
  }
  return next;
}

void WindowModel::FireDueTimers(int64_t now_ms) {
  // One tick per due timer, earliest first; a countdown that fell behind (the thread was busy)
  // skips the missed ticks rather than catching them up.
  for (;;) {
    ControlState* due = nullptr;
    for (ControlState& s : controls_) {
      if (s.kind == Kind::kTimer && s.period > 0 && s.next_due <= now_ms &&
          (due == nullptr || s.next_due < due->next_due)) {
        due = &s;
      }
    }
    if (due == nullptr) return;
    while (due->next_due <= now_ms) due->next_due += due->period;
    Raise(due->id, ControlEvent::kTick);
  }
}

bool WindowModel::TakesInput(Ctl c) const {
  for (std::optional<Ctl> at = c; at; at = Control(*at).parent) {
    if (!Control(*at).visible || !Control(*at).enabled) return false;
  }
  return true;
}

bool WindowModel::UserClick(Ctl c) {
  if (!TakesInput(c)) return false;
  ControlState& s = Mutable(c);
  switch (s.kind) {
    case Kind::kButton:
      GiveFocus(c);
      Raise(c, ControlEvent::kClicked);
      return true;
    case Kind::kCheckBox:
      GiveFocus(c);
      SetChecked(c, !s.checked);
      Raise(c, ControlEvent::kClicked);
      return true;
    case Kind::kRadioButton:
      GiveFocus(c);
      // The radio buttons that share a parent form one group.
      for (ControlState& other : controls_) {
        if (other.kind == Kind::kRadioButton && other.parent == s.parent) {
          SetChecked(other.id, other.id == c);
        }
      }
      Raise(c, ControlEvent::kClicked);
      return true;
    case Kind::kLabel:
    case Kind::kTransparentLabel:
      Raise(c, ControlEvent::kLeftButtonReleased);
      return true;
    case Kind::kEditBox:
    case Kind::kComboBox:
      GiveFocus(c);
      return true;
    default:
      return false;
  }
}

bool WindowModel::UserSelectItem(Ctl c, int index) {
  if (Control(c).kind != Kind::kComboBox || !TakesInput(c)) return false;
  if (index < 0 || index >= ItemCount(c)) return false;
  GiveFocus(c);
  SetSelection(c, index);
  Raise(c, ControlEvent::kListItemSelected);
  return true;
}

bool WindowModel::UserReplaceText(Ctl c, std::string text) {
  ControlState& s = Mutable(c);
  const bool editable = s.kind == Kind::kEditBox || (s.kind == Kind::kComboBox && s.editable);
  if (!editable || !TakesInput(c)) return false;
  GiveFocus(c);
  const bool changed = s.text != text;
  s.text = std::move(text);
  s.selection_start = static_cast<int>(s.text.size());
  s.selection_length = 0;
  if (changed) Changed(c, ModelProperty::kText);
  if (s.kind == Kind::kComboBox) {
    // Editing the text of a combo box selects the item it names, or none.
    auto it = std::find_if(s.items.begin(), s.items.end(),
                           [&](const ComboItem& item) { return item.text == s.text; });
    const int selection = it == s.items.end() ? -1 : static_cast<int>(it - s.items.begin());
    if (selection != s.selection) {
      s.selection = selection;
      Changed(c, ModelProperty::kSelection);
    }
  }
  Raise(c, ControlEvent::kTextChanged);
  return true;
}

bool WindowModel::TypeAccepted(InputKind kind, std::string_view character) const {
  const char first = character[0];
  if (static_cast<unsigned char>(first) < 0x20) return true;
  switch (kind) {
    case InputKind::kInteger:
      return character.size() == 1 && (IsDigit(first) || first == '-');
    case InputKind::kDecimal:
      return character.size() == 1 && (IsDigit(first) || first == '-' || first == '.');
    default:
      return true;
  }
}

bool WindowModel::UserType(Ctl c, std::string_view text) {
  {
    const ControlState& s = Control(c);
    const bool editable = s.kind == Kind::kEditBox || (s.kind == Kind::kComboBox && s.editable);
    if (!editable || !TakesInput(c)) return false;
  }
  GiveFocus(c);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLengthAt(text, i);
    const std::string_view character = text.substr(i, length);
    i += length;
    const ControlState& s = Control(c);
    if (!TypeAccepted(s.input, character)) continue;
    std::string typed = s.text;
    if (character == "\b") {
      // Backspace removes the last whole character.
      std::size_t last = 0;
      for (std::size_t at = 0; at < typed.size(); at += CharLengthAt(typed, at)) last = at;
      if (typed.empty()) continue;
      typed.erase(last);
    } else if (character == "\r" || character == "\n") {
      if (!s.multi_line) continue;
      typed += "\r\n";
    } else if (static_cast<unsigned char>(character[0]) < 0x20 && character != "\t") {
      continue;
    } else {
      typed += character;
    }
    UserReplaceText(c, std::move(typed));
  }
  return true;
}

bool WindowModel::UserKeyUp(Ctl c, int key_code) {
  if (Control(c).kind != Kind::kEditBox || !TakesInput(c)) return false;
  GiveFocus(c);
  Raise(c, ControlEvent::kKeyReleased, key_code);
  return true;
}

bool WindowModel::UserFocusOut(Ctl c) {
  if (Control(c).kind != Kind::kEditBox && Control(c).kind != Kind::kComboBox) return false;
  if (focus_ == c) SetFocusTo(std::nullopt);
  LoseFocus(c);
  return true;
}

bool WindowModel::UserSelectText(Ctl c, int start, int length) {
  ControlState& s = Mutable(c);
  if (s.kind != Kind::kEditBox) return false;
  const int size = static_cast<int>(s.text.size());
  s.selection_start = std::clamp(start, 0, size);
  s.selection_length = std::clamp(length, 0, size - s.selection_start);
  return true;
}

bool WindowModel::AcceptsTyped(Ctl c, std::string_view character) const {
  return !character.empty() && TypeAccepted(Control(c).input, character);
}

bool WindowModel::UserSelectTab(int index) {
  ControlState& tab = Mutable(Ctl::选择夹1);
  if (index < 0 || index >= static_cast<int>(tab.tabs.size()) || !TakesInput(Ctl::选择夹1)) {
    return false;
  }
  if (tab.current_tab == index) return true;
  tab.current_tab = index;
  Changed(Ctl::选择夹1, ModelProperty::kCurrentTab);
  Raise(Ctl::选择夹1, ControlEvent::kTabChanged);
  return true;
}

void WindowModel::GiveFocus(Ctl c) {
  if (focus_ == c) return;
  std::optional<Ctl> old = focus_;
  SetFocusTo(c);
  if (old) LoseFocus(*old);
}

void WindowModel::SetFocusTo(std::optional<Ctl> c) {
  focus_ = c;
  Changed(std::nullopt, ModelProperty::kFocus);
}

void WindowModel::LoseFocus(Ctl c) {
  ControlState& s = Mutable(c);
  if (s.kind != Kind::kEditBox || s.input != InputKind::kDateTime) return;
  // A date-time box shows what it holds in the one text form, and wipes what is no date-time.
  std::optional<DateTime> value = ParseDateTime(s.text);
  std::string rewritten = value && value->seconds() != 0 ? DateTimeToText(*value) : std::string();
  if (rewritten == s.text) return;
  const int caret = s.selection_start;
  s.text = std::move(rewritten);
  s.selection_start = std::min(caret, static_cast<int>(s.text.size()));
  s.selection_length = 0;
  Changed(c, ModelProperty::kText);
  Raise(c, ControlEvent::kTextChanged);
}

void WindowModel::Raise(Ctl c, ControlEvent event, int arg) {
  if (sink_ != nullptr) sink_->OnControlEvent(c, event, arg);
}

void WindowModel::Changed(std::optional<Ctl> c, ModelProperty what) {
  if (observer_ != nullptr) observer_->OnModelChanged(c, what);
}

}  // namespace morvane
