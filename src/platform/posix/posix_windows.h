// Top-level windows on a POSIX system: the console windows of the programs we started, on top,
// then the windows of a native window system when one is attached.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/children.h"
#include "platform/windows.h"

namespace morvane {

// The windows of a native window system (X11, for one), under ids below
// ChildRegistry::kFirstConsoleWindow.
class ForeignWindows {
 public:
  virtual ~ForeignWindows() = default;
  // The visible top-level windows, topmost first.
  virtual std::vector<WindowHandle> ListVisibleWindows() = 0;
  virtual std::string GetWindowTitle(WindowHandle window) = 0;
  virtual void PostCloseMessage(WindowHandle window) = 0;
  virtual void CloseWindow(WindowHandle window) = 0;
  virtual void MoveWindow(WindowHandle window, const Rect& place, bool repaint) = 0;
  // The screen's area, when the system knows it.
  virtual std::optional<Rect> ScreenArea() = 0;
};

class PosixWindows final : public Windows {
 public:
  // `screen` is the screen area while no native window system tells it.
  PosixWindows(ChildRegistry& children, Rect screen, ForeignWindows* foreign = nullptr)
      : children_(children), screen_(screen), foreign_(foreign) {}

  void SetForeignWindows(ForeignWindows* foreign) { foreign_ = foreign; }

  // Reaps ended children first, so a console window is listed exactly while its child runs. The
  // newest console window comes first; the native windows follow the console windows.
  std::vector<WindowHandle> ListVisibleWindows() override;
  std::string GetWindowTitle(WindowHandle window) override;
  // A console window: its child gets one SIGINT, on the first request only.
  void PostCloseMessage(WindowHandle window) override;
  // A console window cannot be minimised or moved here; these leave it alone.
  void CloseWindow(WindowHandle window) override;
  void MoveWindow(WindowHandle window, const Rect& place, bool repaint) override;
  Rect ScreenArea() override;

 private:
  ChildRegistry& children_;
  Rect screen_;
  ForeignWindows* foreign_;
};

}  // namespace morvane
