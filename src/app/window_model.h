// The main window and every control's state, with the toolkit's rules, in memory.
//
// Front-ends mirror this model, told of each change through a ModelObserver, and feed user input
// back through the User* calls; handlers change it through the plain property writes. Writes from
// code follow the toolkit: an edit box's text write raises text-changed once, selection and check
// writes raise nothing, a combo selection is clamped, a timer restarts only when its period really
// changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/controls.h"
#include "platform/events.h"
#include "platform/windows.h"

namespace morvane {

class Clock;

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A pixel height and a face; height 0 is the system's default GUI font, an empty face the
// system's default face for the GB2312 character set.
struct Font {
  int height = 0;
  std::string face;
};

enum class InputKind : uint8_t { kOrdinary, kInteger, kDecimal, kDateTime };

struct ComboItem {
  std::string text;
  int32_t value = 0;
};

enum class ControlEvent : uint8_t {
  kClicked,
  kListItemSelected,
  kTextChanged,
  kKeyReleased,  // arg: the virtual key code
  kLeftButtonReleased,
  kFeedback,
  kTabChanged,
  kTick,
};

class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnControlEvent(Ctl control, ControlEvent event, int arg) = 0;
};

// The properties a front-end mirrors; each names what changed, the new state is read from the
// model.
enum class ModelProperty : uint8_t {
  kCaption,     // the main window's
  kWindowRect,  // the main window's
  kFocus,       // which control has the keyboard focus: Focus()
  kVisible,
  kEnabled,
  kText,  // replaced whole; for an edit box written from code, its caret with it
  kTextColour,
  kChecked,
  kItems,      // a combo box's list
  kSelection,  // a combo box's current selection
  kCurrentTab,
  kBackground,  // the tab control's fill background and colour
  kPeriod,
};

// Told of every change of the model's state, whether code or user input made it. A call comes
// after the state has changed and before any event the change raises.
class ModelObserver {
 public:
  virtual ~ModelObserver() = default;
  // `control` is none for the main window's own properties.
  virtual void OnModelChanged(std::optional<Ctl> control, ModelProperty what) = 0;
  // `text` was added at the end of the control's text, the caret put behind it.
  virtual void OnTextAppended(Ctl control, std::string_view text) {
    (void)text;
    OnModelChanged(control, ModelProperty::kText);
  }
};

struct ControlState {
  Ctl id{};
  Kind kind{};
  std::optional<Ctl> parent;  // none: the main window itself
  int page = -1;              // tab page of a control on the tab control, at any depth
  Rect place;                 // relative to the parent's client area
  Font font;
  std::string text;  // caption, edit text, or the edit part of an editable combo box
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  // Edit boxes.
  InputKind input = InputKind::kOrdinary;
  bool multi_line = false;
  bool centred = false;
  int selection_start = 0;  // bytes, 0-based
  int selection_length = 0;
  Rgb text_colour{0, 0, 0};
  Rgb back_colour{255, 255, 255};
  // Combo boxes.
  bool editable = false;  // false: a drop-down list, whose text is its selected item's
  std::vector<ComboItem> items;
  int selection = -1;
  // Tab control.
  std::vector<std::string> tabs;
  int current_tab = 0;
  bool fill_background = true;
  std::optional<Rgb> background;  // none: the system's button-face colour
  // Timers.
  int period = 0;
  int64_t next_due = -1;
};

// The window's controls as created, before any event: every place, text, item and state.
std::vector<ControlState> MainWindowControls();

inline constexpr int kMainWindowWidth = 573;
inline constexpr int kMainWindowHeight = 448;

class WindowModel : public TimerSource {
 public:
  // `clock` times the timers; `screen` is the area the window is centred in.
  WindowModel(Clock& clock, const Rect& screen);
  WindowModel(const WindowModel&) = delete;
  WindowModel& operator=(const WindowModel&) = delete;

  void SetEventSink(EventSink* sink) { sink_ = sink; }
  // One observer at a time; null for none.
  void SetObserver(ModelObserver* observer) { observer_ = observer; }

  const ControlState& Control(Ctl control) const { return controls_[Index(control)]; }
  const std::vector<ControlState>& Controls() const { return controls_; }
  // Every control of that kind, at any depth, shown or not, in control order.
  std::vector<Ctl> FindControlsOfKind(Kind kind) const;
  std::vector<Ctl> FindControlsOfKind(std::string_view kind_name) const;

  // Main window.
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The outer rectangle in screen pixels.
  const Rect& WindowRect() const { return window_rect_; }
  void SetWindowLeft(int left);
  void SetWindowRect(const Rect& rect);
  // The control that has the keyboard focus; none while the window itself has it.
  std::optional<Ctl> Focus() const { return focus_; }
  // Moves the keyboard focus to the main window; the focused control loses it.
  void FocusWindow();

  // Any control.
  bool Visible(Ctl c) const { return Control(c).visible; }
  void SetVisible(Ctl c, bool visible);
  bool Enabled(Ctl c) const { return Control(c).enabled; }
  void SetEnabled(Ctl c, bool enabled);

  // The text: for a drop-down list its selected item's text, or the empty text.
  const std::string& Text(Ctl c) const;
  // Replaces the text; an edit box then raises text-changed once. A drop-down list keeps showing
  // its selected item.
  void SetText(Ctl c, std::string text);
  // Puts the caret at the end and inserts `text` there, as a log append does.
  void AppendText(Ctl c, std::string_view text);
  Rgb TextColour(Ctl c) const { return Control(c).text_colour; }
  void SetTextColour(Ctl c, Rgb colour);

  // Check boxes and radio buttons; a write changes that control alone and raises nothing.
  bool Checked(Ctl c) const { return Control(c).checked; }
  void SetChecked(Ctl c, bool checked);

  // Combo boxes.
  int ItemCount(Ctl c) const { return static_cast<int>(Control(c).items.size()); }
  // The empty text and -1 for an index outside the list.
  std::string_view ItemText(Ctl c, int index) const;
  int32_t ItemValue(Ctl c, int index) const;
  int Selection(Ctl c) const { return Control(c).selection; }
  // Clamped into -1 .. count-1; an editable box shows the selected item's text. Raises nothing.
  void SetSelection(Ctl c, int index);
  void AddItem(Ctl c, std::string text, int32_t value = 0);
  void RemoveAllItems(Ctl c);

  // Tab control.
  int CurrentTab(Ctl c) const { return Control(c).current_tab; }
  void SetFillBackground(Ctl c, bool fill, std::optional<Rgb> background);

  // Timers: a positive period ticks every period ms; 0 (or less) stops. Writing a different
  // positive period restarts the countdown, writing the same one changes nothing.
  int Period(Ctl c) const { return Control(c).period; }
  void SetPeriod(Ctl c, int period_ms);

  // TimerSource.
  int64_t NextTimerDue() const override;
  void FireDueTimers(int64_t now_ms) override;
  // A front-end's own timer for `c` elapsed: raises its tick while its period is above 0 and
  // counts the next one from now.
  void TimerElapsed(Ctl c);

  // User input. Each returns false, changing nothing, when the control cannot take it (hidden,
  // disabled, or of a kind that has no such input).
  bool UserClick(Ctl c);
  bool UserSelectItem(Ctl c, int index);
  // Replaces the whole text in one edit, as a paste over a full selection: no typing filter,
  // one text-changed.
  bool UserReplaceText(Ctl c, std::string text);
  // Types each character at the end of the text; the box's input kind filters them, and each
  // accepted character raises one text-changed. Backspace removes the last character.
  bool UserType(Ctl c, std::string_view text);
  bool UserKeyUp(Ctl c, int key_code);
  // The control loses the keyboard focus to the main window.
  bool UserFocusOut(Ctl c);
  bool UserSelectTab(int index);
  // The user moved the main window to `rect` (outer rectangle, screen pixels).
  void UserMoveWindow(const Rect& rect);
  // Where the caret and selection of an edit box stand after the user moved them (bytes,
  // clamped to the text); raises nothing. The date-time box puts its caret back there when it
  // rewrites its text.
  bool UserSelectText(Ctl c, int start, int length);
  // Whether typing that one character (one GBK character) into `c` gets past the box's input
  // kind; a front-end whose native controls edit in place asks this before letting a key through.
  bool AcceptsTyped(Ctl c, std::string_view character) const;

 private:
  static int Index(Ctl c) { return static_cast<int>(c); }
  ControlState& Mutable(Ctl c) { return controls_[Index(c)]; }
  void Raise(Ctl c, ControlEvent event, int arg = 0);
  void Changed(std::optional<Ctl> c, ModelProperty what);
  void SetFocusTo(std::optional<Ctl> c);
  bool TakesInput(Ctl c) const;
  void GiveFocus(Ctl c);
  void LoseFocus(Ctl c);
  bool TypeAccepted(InputKind kind, std::string_view character) const;

  Clock& clock_;
  EventSink* sink_ = nullptr;
  ModelObserver* observer_ = nullptr;
  std::vector<ControlState> controls_;
  std::string caption_;
  Rect window_rect_;
  std::optional<Ctl> focus_;
};

}  // namespace morvane
