// morvane.exe: the tool with its native window on Windows.
//
// RunDirectory is the executable's own folder (start-up makes it the current directory); the
// command line is not read.
#include "app/app.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/main_window.h"

// After <windows.h>, which it needs.
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_mode) {
  INITCOMMONCONTROLSEX common_controls{sizeof common_controls,
                                       ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&common_controls);

  morvane::Win32Platform win32;
  // The window's own timers (SetTimer) tick the model; the waiting pump leaves them alone.
  win32.events().SetTimersFromWindow(true);
  morvane::App app(win32.platform(), morvane::Win32Platform::ExecutableFolder());
  morvane::MainWindow window(app, win32.dialogs(), instance);
  if (!window.Create()) return 1;
  window.Show(show_mode);
  return window.Run();
}
