// Child programs on a POSIX system: posix_spawn with the Windows command-line rules, /proc for
// the process list, signals for ending.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding.h"
#include "platform/posix/children.h"
#include "platform/processes.h"

namespace morvane {

class PosixProcesses final : public Processes {
 public:
  // `child_output`: a folder that gets one log file per started program with its standard output
  // and error; empty sends both to /dev/null.
  PosixProcesses(Encoding& encoding, ChildRegistry& children,
                 std::filesystem::path child_output = {});

  // Splits the command line by the Windows rules and starts the program directly, never through a
  // shell, with every argument in UTF-8 and the program path in host form: stdin from /dev/null,
  // its own process group (a Ctrl+C at our terminal does not reach it), every signal at its
  // default action, no descriptor of ours but 0, 1 and 2, our current directory. False, with
  // nothing started, for an empty command line, an argument that is no GBK text, or a program
  // path that is no executable file.
  bool RunProgram(std::string_view command_line, ShowMode show) override;
  // Every live process of the system from /proc: the name it was started under (comm), or the
  // file name of its executable when that cannot be read; zombies are left out, and our own ended
  // children are reaped first.
  std::vector<ProcessEntry> ListProcesses() override;
  // SIGKILL; does not wait. False for an id that names no single process.
  bool TerminateProcess(uint32_t pid) override;
  // The command through /bin/sh with its output captured, for at most 15 seconds.
  std::string CaptureConsoleOutput(std::string_view command) override;

 private:
  Encoding& encoding_;
  ChildRegistry& children_;
  std::filesystem::path child_output_;
};

}  // namespace morvane
