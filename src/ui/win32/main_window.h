// The native main window: Win32 controls that mirror the window model, and the user's input fed
// back to the model. It holds no state of its own beyond the native handles; what a control
// shows is read from the model whenever the model says it changed.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/app.h"
#include "platform/win32/win32_api.h"

namespace morvane {

class Win32Dialogs;

class MainWindow final : public ModelObserver {
 public:
  MainWindow(App& app, Win32Dialogs& dialogs, HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls where the model places them; the window's created event
  // runs start-up. False when the system refused the window.
  bool Create();
  void Show(int show_mode);
  // The thread's message loop, until the window is gone; gives the exit code.
  int Run();

  void OnModelChanged(std::optional<Ctl> control, ModelProperty what) override;
  void OnTextAppended(Ctl control, std::string_view text) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR self);
  LRESULT HandleWindowMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleControlMessage(Ctl c, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  void CreateControls();
  void StackControls();
  HWND Native(Ctl c) const { return natives_[static_cast<int>(c)]; }
  std::optional<Ctl> ControlOf(HWND hwnd) const;
  HFONT FontFor(const ControlState& s);
  HBRUSH Brush(COLORREF colour);
  // The background a control on a tab page, or on the window itself, is drawn over.
  HBRUSH BackgroundOf(const ControlState& s);
  bool ShownOnScreen(const ControlState& s) const;
  bool EnabledOnScreen(const ControlState& s) const;

  // Model -> native.
  void ApplyAll(Ctl c);
  void ApplyText(Ctl c);
  void ApplyItems(Ctl c);
  void ApplySelection(Ctl c);
  void ApplyVisibility();
  void ApplyPeriod(Ctl c);
  void ApplyFocus();
  void ApplyWindowRect();

  // Native -> model.
  void OnCommand(Ctl c, HWND hwnd, int code);
  void OnEditChanged(Ctl c, HWND hwnd);
  void OnFocusLost(Ctl c, HWND hwnd);
  void OnWindowMoved();
  LRESULT OnControlColour(HDC dc, HWND hwnd, bool edit_message);

  // While > 0, the native controls are being brought in line with the model: the notifications
  // they send meanwhile are echoes of our own writes and are not fed back.
  struct Applying {
    explicit Applying(MainWindow& w) : w(w) { ++w.applying_; }
    ~Applying() { --w.applying_; }
    MainWindow& w;
  };
  // The control whose native input is being fed to the model, and whether that input is a
  // focus loss; the model's answers to it need not be written back to that control.
  struct Feeding {
    Feeding(MainWindow& w, Ctl c, bool focus_out = false)
        : w(w), old(std::exchange(w.feeding_, c)), old_focus_out(w.feeding_focus_out_) {
      w.feeding_focus_out_ = focus_out;
    }
    ~Feeding() {
      w.feeding_ = old;
      w.feeding_focus_out_ = old_focus_out;
    }
    MainWindow& w;
    std::optional<Ctl> old;
    bool old_focus_out;
  };

  App& app_;
  WindowModel& model_;
  Win32Dialogs& dialogs_;
  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  std::array<HWND, kControlCount> natives_{};
  std::map<std::pair<int, std::string>, HFONT> fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
  int applying_ = 0;
  std::optional<Ctl> feeding_;
  bool feeding_focus_out_ = false;
  bool started_ = false;
};

}  // namespace morvane
