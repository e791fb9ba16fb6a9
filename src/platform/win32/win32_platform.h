// The platform services on Windows, written against the Win32 API, and the aggregate that hands
// them to the core.
//
// Paths, titles, command lines and file names are GBK byte strings passed to the ANSI ("A")
// functions, so the process's ANSI code page must be 936, as on a Chinese Windows.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_profiles.h"
#include "platform/platform.h"

namespace morvane {

// How long CaptureConsoleOutput waits for the interpreter before it gives up on it.
inline constexpr std::chrono::milliseconds kCaptureBound = std::chrono::seconds(15);

// Runs `command` (GBK) through the command interpreter with its standard output and standard error
// into one pipe, and returns the bytes that arrived, up to the first zero byte.
//
// The interpreter ("cmd.exe /c " on the NT family, "command.com /c " elsewhere) is started with
// CreateProcessW, hidden, inheriting both pipe ends; standard input is the pipe's read end too.
// The pipe is polled until a pass finds it empty and the interpreter ended, then drained once
// more for bytes that arrived in between. When the interpreter still runs after `bound`, it and
// the processes it started are terminated, and what had arrived by then is returned. Every
// handle is closed on every path; empty text when nothing could be started.
std::string CaptureConsoleOutputWin32(std::string_view command,
                                      std::chrono::milliseconds bound = kCaptureBound);

// Files through FindFirstFileA, CreateFileA and MoveFileExA.
class Win32Files final : public Files {
 public:
  bool Exists(std::string_view path) override;
  std::optional<std::string> ReadFile(std::string_view path) override;
  // Writes a temporary file in the same folder and moves it over the old one.
  bool WriteFile(std::string_view path, std::string_view bytes) override;
  std::string CurrentDirectory() override;
  bool SetCurrentDirectory(std::string_view path) override;
};

class Win32Processes final : public Processes {
 public:
  explicit Win32Processes(std::chrono::milliseconds capture_bound = kCaptureBound)
      : capture_bound_(capture_bound) {}

  // CreateProcessA: no application name, no handle inheritance, no creation flags, the show mode
  // through STARTF_USESHOWWINDOW; the process and thread handles are closed at once.
  bool RunProgram(std::string_view command_line, ShowMode show) override;
  // A Toolhelp32 snapshot; the names are the snapshot's executable file names.
  std::vector<ProcessEntry> ListProcesses() override;
  bool TerminateProcess(uint32_t pid) override;
  std::string CaptureConsoleOutput(std::string_view command) override {
    return CaptureConsoleOutputWin32(command, capture_bound_);
  }

 private:
  std::chrono::milliseconds capture_bound_;
};

// Window handles are HWNDs widened to 64 bits.
class Win32Windows final : public Windows {
 public:
  std::vector<WindowHandle> ListVisibleWindows() override;
  std::string GetWindowTitle(WindowHandle window) override;
  void PostCloseMessage(WindowHandle window) override;
  void CloseWindow(WindowHandle window) override;
  void MoveWindow(WindowHandle window, const Rect& place, bool repaint) override;
  // The primary monitor's work area (the screen without the task bar).
  Rect ScreenArea() override;
};

// The system's Save As dialog, GetSaveFileNameA.
class Win32Dialogs final : public Dialogs {
 public:
  // The window that owns the dialogs; none until the front-end sets it.
  void SetOwner(WindowHandle owner) { owner_ = owner; }
  std::optional<std::string> SaveFileDialog(const SaveDialogRequest& request) override;

 private:
  WindowHandle owner_ = kNoWindow;
};

// The thread's message queue as the event pump: waiting runs PeekMessage, TranslateMessage and
// DispatchMessage and sleeps in MsgWaitForMultipleObjects until a message arrives or the time is
// up, so every window of the thread stays alive while the core waits.
//
// Timers. The window model is the pump's timer source. A front-end with a native window drives
// the model's timers itself (SetTimer, whose WM_TIMER messages this pump dispatches like any
// other) and calls SetTimersFromWindow(true), after which the pump leaves the timer source alone.
// Without a native window (tests, tools without a front-end) the pump fires the timer source's
// due ticks itself while it waits, as the POSIX pump does.
//
// WM_QUIT met while waiting is kept and posted again when the wait ends, for the thread's own
// message loop to see.
class Win32EventPump final : public EventPump {
 public:
  void SetTimerSource(TimerSource* timers) override { timers_ = timers; }
  void SetTimersFromWindow(bool from_window) { timers_from_window_ = from_window; }
  void ProcessEvents() override;
  void DelayWithEvents(int ms) override;
  void Sleep(int ms) override;

 private:
  // Dispatches the pending messages; false once WM_QUIT has been met.
  bool DispatchPending();
  void FireTimers();
  TimerSource* ActiveTimers() const { return timers_from_window_ ? nullptr : timers_; }

  TimerSource* timers_ = nullptr;
  bool timers_from_window_ = false;
  std::optional<int> quit_code_;
};

// Every service of the Windows platform, with the INI engine over the Win32 files as the profile
// functions.
class Win32Platform {
 public:
  Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& platform() { return platform_; }
  Encoding& encoding() { return *encoding_; }
  // The front-end sets the dialogs' owner window here.
  Win32Dialogs& dialogs() { return dialogs_; }
  // The front-end tells the pump here that its window drives the timers.
  Win32EventPump& events() { return events_; }
  Win32Windows& windows() { return windows_; }

  // The folder of the running executable, without a trailing backslash (GBK).
  static std::string ExecutableFolder();

 private:
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<Encoding> encoding_;
  Win32Files files_;
  Win32Processes processes_;
  Win32Windows windows_;
  Win32Dialogs dialogs_;
  Win32EventPump events_;
  IniProfileFiles profiles_;
  Platform platform_;
};

}  // namespace morvane
