#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace morvane {

namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window)); }

WindowHandle FromHwnd(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(window));
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM list) {
  if (::IsWindowVisible(window)) {
    reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(FromHwnd(window));
  }
  return TRUE;
}

}  // namespace

std::vector<WindowHandle> Win32Windows::ListVisibleWindows() {
  std::vector<WindowHandle> windows;
  ::EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string Win32Windows::GetWindowTitle(WindowHandle window) {
  const HWND hwnd = ToHwnd(window);
  if (window == kNoWindow || !::IsWindow(hwnd)) return {};
  // The length may be larger than the text (never smaller); the copy says how much there is.
  const int length = ::GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  std::string title(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(hwnd, title.data(), length + 1);
  title.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return title;
}

void Win32Windows::PostCloseMessage(WindowHandle window) {
  if (window != kNoWindow) ::PostMessageW(ToHwnd(window), WM_CLOSE, 0, 0);
}

void Win32Windows::CloseWindow(WindowHandle window) {
  if (window != kNoWindow) ::CloseWindow(ToHwnd(window));
}

void Win32Windows::MoveWindow(WindowHandle window, const Rect& place, bool repaint) {
  if (window == kNoWindow) return;
  ::MoveWindow(ToHwnd(window), place.left, place.top, place.width, place.height,
               repaint ? TRUE : FALSE);
}

Rect Win32Windows::ScreenArea() {
  RECT area{};
  if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) && area.right > area.left &&
      area.bottom > area.top) {
    return Rect{area.left, area.top, area.right - area.left, area.bottom - area.top};
  }
  return Rect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace morvane
