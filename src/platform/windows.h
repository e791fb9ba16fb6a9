// Top-level windows of all programs: listing, titles, closing, minimising and placing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

using WindowHandle = uint64_t;  // 0 is no window
constexpr WindowHandle kNoWindow = 0;

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

class Windows {
 public:
  virtual ~Windows() = default;
  // The visible top-level windows in the system's enumeration order, topmost first.
  virtual std::vector<WindowHandle> ListVisibleWindows() = 0;
  // The title in GBK; empty for a window without one or a handle that is no window.
  virtual std::string GetWindowTitle(WindowHandle window) = 0;
  // Posts WM_CLOSE; does not wait for any reaction.
  virtual void PostCloseMessage(WindowHandle window) = 0;
  // Minimises the window (the Win32 CloseWindow); no window is left alone.
  virtual void CloseWindow(WindowHandle window) = 0;
  virtual void MoveWindow(WindowHandle window, const Rect& place, bool repaint) = 0;
  // The screen area a new window is centred in.
  virtual Rect ScreenArea() = 0;
};

}  // namespace morvane
