#include "platform/posix/children.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

#include "text/gbk_text.h"

namespace morvane {

WindowHandle ChildRegistry::Add(pid_t pid, std::string command_line, ShowMode show,
                                std::string program_path) {
  // The file name follows the last separator; "/" is never part of a double-byte character.
  const std::size_t backslash =
      static_cast<std::size_t>(std::max(FindLastText(program_path, "\\"), 0));
  const std::size_t slash = program_path.rfind('/') + 1;  // 0 when there is none
  ChildProcess child;
  child.pid = pid;
  child.exe_name = program_path.substr(std::max(backslash, slash));
  child.console_title = std::move(program_path);
  child.console = next_console_++;
  child.console_visible = show != ShowMode::kHide;
  running_.push_back(std::move(child));
  started_.push_back({std::move(command_line), show});
  return running_.back().console;
}

void ChildRegistry::Reap() {
  std::erase_if(running_, [](const ChildProcess& child) {
    while (true) {
      const pid_t result = ::waitpid(child.pid, nullptr, WNOHANG);
      if (result == child.pid) return true;
      if (result == 0) return false;
      if (errno == EINTR) continue;
      return true;  // ECHILD: nothing is left of it to wait for
    }
  });
}

const ChildProcess* ChildRegistry::FindByConsole(WindowHandle window) const {
  auto it = std::find_if(running_.begin(), running_.end(),
                         [&](const ChildProcess& child) { return child.console == window; });
  return it == running_.end() ? nullptr : &*it;
}

void ChildRegistry::CloseConsole(WindowHandle window) {
  auto it = std::find_if(running_.begin(), running_.end(),
                         [&](const ChildProcess& child) { return child.console == window; });
  if (it == running_.end() || it->interrupted) return;
  it->interrupted = true;
  ::kill(it->pid, SIGINT);
}

}  // namespace morvane
