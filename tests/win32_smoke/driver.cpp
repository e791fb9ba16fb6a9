// morvane_driver.exe: drives a running morvane.exe through its controls, as a user would, and
// reads what its window shows. One action per run:
//
//   wait-window SECONDS               the main window is up and visible
//   caption                           prints the main window's caption
//   rect                              prints its outer rectangle: left top width height
//   text NAME                         prints a control's text (a drop-down list: its shown item)
//   wait-text NAME PART SECONDS       waits until the control's text contains PART
//   enabled NAME | visible NAME       prints 1 or 0
//   click NAME                        BM_CLICK on a button, check box or radio button; a left
//                                     button release on a label
//   select NAME INDEX                 picks a combo box item, with the notification a user's pick
//                                     sends
//   settext NAME TEXT                 replaces an edit box's text (its change notification follows)
//   type NAME TEXT                    types TEXT into an edit box, a character message per
//   character keyup NAME KEYCODE                releases a key over an edit box tab INDEX switches
//   the tab control's page as a click on its tab does titles                            prints the
//   titles of the visible top-level windows wait-title PART SECONDS           waits for a visible
//   top-level window titled with PART wait-no-title PART SECONDS        waits until no visible
//   top-level window has PART in its title processes EXE                     prints how many
//   processes run that executable wait-no-process EXE SECONDS close asks the main window to close
//   (WM_CLOSE) wait-closed SECONDS               waits until the main window is gone
//
// Names are the controls' names; texts are printed in UTF-8. Exit status 0 on success, 1 when a
// wait timed out or the window or control is missing, 2 on a usage error.
#include <cwchar>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/controls.h"
#include "platform/win32/win32_api.h"
#include "ui/win32/window_ids.h"

// After <windows.h>, which they need.
#include <commctrl.h>
#include <shellapi.h>

namespace {

using morvane::Ctl;

// How long one message to the window may take before the window counts as hung.
constexpr UINT kMessageTimeoutMs = 10000;

void Write(HANDLE out, std::wstring_view text) {
  const int size = static_cast<int>(text.size());
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
  utf8 += '\n';
  DWORD written = 0;
  ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void Print(std::wstring_view text) { Write(::GetStdHandle(STD_OUTPUT_HANDLE), text); }

int Fail(std::wstring_view text) {
  Write(::GetStdHandle(STD_ERROR_HANDLE), std::wstring(L"morvane_driver: ") + std::wstring(text));
  return 1;
}

int Usage() {
  Write(::GetStdHandle(STD_ERROR_HANDLE), L"morvane_driver: bad arguments; see driver.cpp");
  return 2;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &result);
  return static_cast<LRESULT>(result);
}

HWND MainWindow() {
  HWND hwnd = ::FindWindowW(morvane::kMainWindowClass, nullptr);
  return hwnd != nullptr && ::IsWindowVisible(hwnd) ? hwnd : nullptr;
}

std::optional<Ctl> ControlNamed(std::wstring_view name) {
  const int size = static_cast<int>(name.size());
  const int length = ::WideCharToMultiByte(936, 0, name.data(), size, nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(936, 0, name.data(), size, gbk.data(), length, nullptr, nullptr);
  return morvane::ControlByName(gbk);
}

std::wstring TextOf(HWND hwnd) {
  const auto length = static_cast<std::size_t>(Send(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(
      Send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(copied <= length ? copied : length);
  return text;
}

bool Wait(int seconds, const auto& done) {
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  while (true) {
    if (done()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(200);
  }
}

BOOL CALLBACK CollectTitle(HWND hwnd, LPARAM titles) {
  if (::IsWindowVisible(hwnd)) {
    wchar_t title[1024] = {};
    ::GetWindowTextW(hwnd, title, 1024);
    if (title[0] != L'\0') reinterpret_cast<std::vector<std::wstring>*>(titles)->push_back(title);
  }
  return TRUE;
}

std::vector<std::wstring> VisibleTitles() {
  std::vector<std::wstring> titles;
  ::EnumWindows(CollectTitle, reinterpret_cast<LPARAM>(&titles));
  return titles;
}

bool AnyTitleContains(std::wstring_view part) {
  for (const std::wstring& title : VisibleTitles()) {
    if (title.find(part) != std::wstring::npos) return true;
  }
  return false;
}

int ProcessCount(std::wstring_view exe) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry)) {
    if (::_wcsicmp(entry.szExeFile, std::wstring(exe).c_str()) == 0) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty()) return Usage();
  const std::wstring& action = args[0];
  const auto number = [&](std::size_t i) { return std::stoi(args.at(i)); };

  // Actions that need no window of ours.
  if (action == L"titles") {
    for (const std::wstring& title : VisibleTitles()) Print(title);
    return 0;
  }
  if (action == L"wait-title" || action == L"wait-no-title") {
    if (args.size() != 3) return Usage();
    const bool wanted = action == L"wait-title";
    if (Wait(number(2), [&] { return AnyTitleContains(args[1]) == wanted; })) return 0;
    return Fail(L"timed out waiting for a title " + args[1]);
  }
  if (action == L"processes") {
    if (args.size() != 2) return Usage();
    Print(std::to_wstring(ProcessCount(args[1])));
    return 0;
  }
  if (action == L"wait-no-process") {
    if (args.size() != 3) return Usage();
    if (Wait(number(2), [&] { return ProcessCount(args[1]) == 0; })) return 0;
    return Fail(L"timed out waiting for the end of " + args[1]);
  }
  if (action == L"wait-window") {
    if (args.size() != 2) return Usage();
    if (Wait(number(1), [] { return MainWindow() != nullptr; })) return 0;
    return Fail(L"the main window did not show up");
  }
  if (action == L"wait-closed") {
    if (args.size() != 2) return Usage();
    if (Wait(number(1),
             [] { return ::FindWindowW(morvane::kMainWindowClass, nullptr) == nullptr; })) {
      return 0;
    }
    return Fail(L"the main window is still there");
  }

  HWND window = MainWindow();
  if (window == nullptr) return Fail(L"no main window");
  if (action == L"caption") {
    Print(TextOf(window));
    return 0;
  }
  if (action == L"rect") {
    RECT r{};
    ::GetWindowRect(window, &r);
    Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
          std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
    return 0;
  }
  if (action == L"close") {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (action == L"tab") {
    if (args.size() != 2) return Usage();
    HWND tab = ::GetDlgItem(window, morvane::ControlId(Ctl::选择夹1));
    const int index = number(1);
    // Moving the focus to a tab selects it and notifies the window, as a click on it does.
    Send(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    if (Send(tab, TCM_GETCURSEL, 0, 0) != index) return Fail(L"the tab did not change");
    return 0;
  }

  if (args.size() < 2) return Usage();
  const std::optional<Ctl> control = ControlNamed(args[1]);
  if (!control) return Fail(L"no control named " + args[1]);
  HWND hwnd = ::GetDlgItem(window, morvane::ControlId(*control));
  if (hwnd == nullptr) return Fail(L"no window for " + args[1]);
  const int id = morvane::ControlId(*control);

  if (action == L"text" && args.size() == 2) {
    Print(TextOf(hwnd));
    return 0;
  }
  if (action == L"wait-text" && args.size() == 4) {
    if (Wait(number(3), [&] { return TextOf(hwnd).find(args[2]) != std::wstring::npos; })) {
      return 0;
    }
    Print(TextOf(hwnd));
    return Fail(L"timed out waiting for " + args[2] + L" in " + args[1]);
  }
  if (action == L"enabled" && args.size() == 2) {
    Print(::IsWindowEnabled(hwnd) ? L"1" : L"0");
    return 0;
  }
  if (action == L"visible" && args.size() == 2) {
    Print(::IsWindowVisible(hwnd) ? L"1" : L"0");
    return 0;
  }
  if (action == L"click" && args.size() == 2) {
    wchar_t class_name[64] = {};
    ::GetClassNameW(hwnd, class_name, 64);
    if (::_wcsicmp(class_name, L"Static") == 0) {
      Send(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      Send(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    } else {
      Send(hwnd, BM_CLICK, 0, 0);
    }
    return 0;
  }
  if (action == L"select" && args.size() == 3) {
    const int index = number(2);
    Send(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (Send(hwnd, CB_GETCURSEL, 0, 0) != index) return Fail(L"no such item");
    Send(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  if (action == L"settext" && args.size() == 3) {
    Send(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[2].c_str()));
    return 0;
  }
  if (action == L"type" && args.size() == 3) {
    for (wchar_t typed : args[2]) Send(hwnd, WM_CHAR, typed, 1);
    return 0;
  }
  if (action == L"keyup" && args.size() == 3) {
    const int key = number(2);
    Send(hwnd, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    Send(hwnd, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001u));
    return 0;
  }
  return Usage();
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr) return 2;
  std::vector<std::wstring> args(argv + 1, argv + count);
  ::LocalFree(argv);
  try {
    return Run(args);
  } catch (const std::exception&) {
    return Usage();
  }
}
