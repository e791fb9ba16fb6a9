// A simulated Windows machine for tests and scripted runs: a settable clock that only moves when
// told, programs that start as simulated processes with console windows, other programs' windows,
// scripted file-dialog answers and device listings. Files are real files: the tool's folder
// (RunDirectory) is a real folder, and other absolute paths lie in a ".drives" folder inside it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/scripted_dialogs.h"

namespace morvane {

class IniProfileFiles;

struct SimOptions {
  std::filesystem::path root;                    // the real folder behind RunDirectory
  std::string run_directory = "D:\\Capture";     // GBK, as the tool sees its folder
  DateFields start_time{2024, 5, 1, 8, 30, 15};  // local time at process start
  Rect screen{0, 0, 1920, 1080};
  int preview_window_delay_ms = 1500;  // a previewer's video window opens this late
};

struct SimCommand {
  std::string command_line;
  ShowMode show = ShowMode::kNormal;
};

struct SimProcess {
  uint32_t pid = 0;
  std::string exe_name;
  std::string command_line;
  WindowHandle console = kNoWindow;
};

struct SimWindow {
  WindowHandle handle = kNoWindow;
  std::string title;
  bool visible = true;
  bool minimised = false;
  Rect place;
  uint32_t owner = 0;  // the simulated process, 0 for another program's window
};

class SimPlatform final : public Clock,
                          public Files,
                          public Processes,
                          public Windows,
                          public Dialogs,
                          public EventPump {
 public:
  SimPlatform(SimOptions options, Encoding& encoding);
  ~SimPlatform() override;
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  Platform& platform() { return *platform_; }
  const std::string& RunDirectory() const { return options_.run_directory; }

  // Script controls.
  void SetLocalTime(const DateFields& fields);
  void AddForeignWindow(std::string title);
  bool RemoveForeignWindow(std::string_view title);
  // The newest running process of that executable name ends by itself.
  bool EndProcessByName(std::string_view exe_name);
  // Creates an empty file, with its folders, or removes a file or folder; false when impossible.
  bool AddFile(std::string_view path);
  bool RemoveFile(std::string_view path);
  void QueueDialogAnswer(std::optional<std::string> path);
  void SetDeviceListing(std::string bytes) { device_listing_ = std::move(bytes); }
  const std::vector<SimCommand>& Commands() const { return commands_; }
  const std::vector<SimProcess>& RunningProcesses() const { return processes_; }
  // Top-level windows in Z order, topmost first, hidden ones included.
  const std::vector<SimWindow>& AllWindows() const { return windows_; }
  const std::optional<SaveDialogRequest>& LastDialog() const { return dialogs_.LastRequest(); }
  // The real host path behind a GBK path; nullopt when the path has no GBK-to-UTF-8 form.
  std::optional<std::filesystem::path> HostPath(std::string_view path);

  // Clock.
  DateFields LocalNow() override;
  int64_t MonotonicMs() override { return now_ms_; }
  // Files.
  bool Exists(std::string_view path) override;
  std::optional<std::string> ReadFile(std::string_view path) override;
  bool WriteFile(std::string_view path, std::string_view bytes) override;
  std::string CurrentDirectory() override { return current_directory_; }
  bool SetCurrentDirectory(std::string_view path) override;
  // Processes.
  bool RunProgram(std::string_view command_line, ShowMode show) override;
  std::vector<ProcessEntry> ListProcesses() override;
  bool TerminateProcess(uint32_t pid) override;
  std::string CaptureConsoleOutput(std::string_view command) override;
  // Windows.
  std::vector<WindowHandle> ListVisibleWindows() override;
  std::string GetWindowTitle(WindowHandle window) override;
  void PostCloseMessage(WindowHandle window) override;
  void CloseWindow(WindowHandle window) override;
  void MoveWindow(WindowHandle window, const Rect& place, bool repaint) override;
  Rect ScreenArea() override { return options_.screen; }
  // Dialogs.
  std::optional<std::string> SaveFileDialog(const SaveDialogRequest& request) override;
  // EventPump: time moves only here.
  void SetTimerSource(TimerSource* timers) override { timers_ = timers; }
  void ProcessEvents() override;
  void DelayWithEvents(int ms) override;
  void Sleep(int ms) override;

 private:
  // Something a simulated program does by itself at a set time.
  struct Happening {
    int64_t at_ms;
    uint32_t pid;
    enum class What { kExit, kOpenVideoWindow } what;
    std::string title;
  };

  std::string Absolute(std::string_view path) const;
  SimWindow* FindWindow(WindowHandle handle);
  WindowHandle OpenWindow(std::string title, bool visible, Rect place, uint32_t owner);
  void EndProcess(uint32_t pid);
  void StartProgramBehaviour(const SimProcess& process, const std::vector<std::string>& args);
  // Runs the happenings due up to `until_ms`, and with `with_events` the timer ticks as well, in
  // time order.
  void RunUntil(int64_t until_ms, bool with_events);

  SimOptions options_;
  Encoding& encoding_;
  std::unique_ptr<IniProfileFiles> profiles_;
  std::unique_ptr<Platform> platform_;
  TimerSource* timers_ = nullptr;

  int64_t now_ms_ = 0;
  int64_t clock_base_seconds_ = 0;  // local time, as DateTime seconds, at clock_base_ms_
  int64_t clock_base_ms_ = 0;
  std::string current_directory_;

  std::vector<SimCommand> commands_;
  std::vector<SimProcess> processes_;
  std::vector<SimWindow> windows_;
  std::vector<Happening> happenings_;
  uint32_t next_pid_ = 1000;
  WindowHandle next_window_ = 0x10010;
  // Answers the file dialogs; a typed name is taken relative to the simulated current directory.
  ScriptedDialogs dialogs_;
  std::string device_listing_;
};

}  // namespace morvane
