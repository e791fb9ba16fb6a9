// Child programs: starting command lines, listing and ending processes, capturing console output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Show modes of a started program's first window (the Win32 SW_ values).
enum class ShowMode : int { kHide = 0, kNormal = 1, kMinimize = 6 };

struct ProcessEntry {
  uint32_t pid = 0;
  std::string exe_name;  // the executable's file name, GBK, such as "ffplay.exe"
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts a command line (program path first, Windows quoting rules) in the current directory
  // without waiting; true when the process was created.
  virtual bool RunProgram(std::string_view command_line, ShowMode show) = 0;
  // One entry per running process.
  virtual std::vector<ProcessEntry> ListProcesses() = 0;
  // Asks the process to end at once; does not wait for it to be gone.
  virtual bool TerminateProcess(uint32_t pid) = 0;
  // Runs a console command through the command interpreter, stdout and stderr into one pipe,
  // and returns the bytes up to the first zero byte; empty when nothing could be run.
  virtual std::string CaptureConsoleOutput(std::string_view command) = 0;
};

}  // namespace morvane
