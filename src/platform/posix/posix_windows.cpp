#include "platform/posix/posix_windows.h"

namespace morvane {

std::vector<WindowHandle> PosixWindows::ListVisibleWindows() {
  children_.Reap();
  std::vector<WindowHandle> list;
  const std::vector<ChildProcess>& running = children_.Running();
  for (auto it = running.rbegin(); it != running.rend(); ++it) {
    if (it->console_visible) list.push_back(it->console);
  }
  if (foreign_ != nullptr) {
    for (WindowHandle window : foreign_->ListVisibleWindows()) {
      if (window != kNoWindow && !ChildRegistry::IsConsoleWindow(window)) list.push_back(window);
    }
  }
  return list;
}

std::string PosixWindows::GetWindowTitle(WindowHandle window) {
  if (ChildRegistry::IsConsoleWindow(window)) {
    const ChildProcess* child = children_.FindByConsole(window);
    return child == nullptr ? std::string() : child->console_title;
  }
  return foreign_ != nullptr && window != kNoWindow ? foreign_->GetWindowTitle(window)
                                                    : std::string();
}

void PosixWindows::PostCloseMessage(WindowHandle window) {
  if (ChildRegistry::IsConsoleWindow(window)) {
    children_.CloseConsole(window);
  } else if (foreign_ != nullptr && window != kNoWindow) {
    foreign_->PostCloseMessage(window);
  }
}

void PosixWindows::CloseWindow(WindowHandle window) {
  if (!ChildRegistry::IsConsoleWindow(window) && foreign_ != nullptr && window != kNoWindow) {
    foreign_->CloseWindow(window);
  }
}

void PosixWindows::MoveWindow(WindowHandle window, const Rect& place, bool repaint) {
  if (!ChildRegistry::IsConsoleWindow(window) && foreign_ != nullptr && window != kNoWindow) {
    foreign_->MoveWindow(window, place, repaint);
  }
}

Rect PosixWindows::ScreenArea() {
  if (foreign_ != nullptr) {
    if (std::optional<Rect> area = foreign_->ScreenArea()) return *area;
  }
  return screen_;
}

}  // namespace morvane
