// The programs this process started, and the console windows they have while they live.
//
// A console program started on Windows by a program without a console gets a console window of
// its own, titled with the program's path, which closes when the program ends; closing it asks the
// program to end. Here each started child has such a window in this registry instead: it lives
// until the child has ended and been reaped, and closing it sends the child one SIGINT.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/windows.h"

namespace morvane {

struct ChildProcess {
  pid_t pid = -1;
  std::string exe_name;       // the program's file name as given, GBK
  std::string console_title;  // the program's path as given, GBK
  WindowHandle console = kNoWindow;
  bool console_visible = true;  // false when started hidden
  bool interrupted = false;     // its one SIGINT has been sent
};

struct StartedCommand {
  std::string command_line;  // GBK, as given
  ShowMode show = ShowMode::kNormal;
};

class ChildRegistry {
 public:
  // Console windows get handles from here up, above every 32-bit window id of a native window
  // system, so the two never collide.
  static constexpr WindowHandle kFirstConsoleWindow = WindowHandle{1} << 40;
  static bool IsConsoleWindow(WindowHandle window) { return window >= kFirstConsoleWindow; }

  ChildRegistry() = default;
  ChildRegistry(const ChildRegistry&) = delete;
  ChildRegistry& operator=(const ChildRegistry&) = delete;

  // Records a started child and its command line; gives the handle of its console window.
  WindowHandle Add(pid_t pid, std::string command_line, ShowMode show, std::string program_path);

  // Reaps every child that has ended (waitpid, WNOHANG); its console window goes with it. Only
  // our own children are waited for, each by its id, so other waits in the process are untouched.
  void Reap();

  // The children not reaped yet, oldest first.
  const std::vector<ChildProcess>& Running() const { return running_; }
  // Every command line started in this run, in order.
  const std::vector<StartedCommand>& Started() const { return started_; }
  // The child whose console window this is, or null.
  const ChildProcess* FindByConsole(WindowHandle window) const;

  // Closing a console window: the first request sends its child one SIGINT, later ones do
  // nothing, as a second signal could cut short the clean ending the first one started. The child
  // is not reaped yet, so its id still names it.
  void CloseConsole(WindowHandle window);

 private:
  std::vector<ChildProcess> running_;
  std::vector<StartedCommand> started_;
  WindowHandle next_console_ = kFirstConsoleWindow;
};

}  // namespace morvane
