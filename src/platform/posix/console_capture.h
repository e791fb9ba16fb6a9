// Console output capture on POSIX systems: a shell command run with its output read through a
// pipe.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace morvane {

// Runs `/bin/sh -c command_utf8` in a process group of its own, with standard output and standard
// error into one pipe and standard input from /dev/null, and returns what it wrote, in arrival
// order, up to the first zero byte; empty when nothing could be started or nothing arrived.
//
// Returns once the shell has ended and the pipe holds nothing more; processes the shell left
// running in the background are not waited for. When the shell is still running after `bound`,
// its whole process group is killed and what had arrived by then is returned. The shell is always
// reaped before the call returns.
std::string CaptureConsoleOutputPosix(std::string_view command_utf8,
                                      std::chrono::milliseconds bound = std::chrono::seconds(15));

}  // namespace morvane
