#include "platform/posix/posix_processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <fstream>
#include <optional>

#include "platform/posix/console_capture.h"
#include "platform/posix/paths.h"
#include "platform/posix/spawn.h"
#include "text/command_line.h"

extern char** environ;

namespace morvane {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::string FileNameOf(const std::string& host_path) {
  return host_path.substr(host_path.rfind('/') + 1);
}

std::optional<std::string> FirstLine(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  return line;
}

// The state letter of /proc/PID/stat, after the name in parentheses; 0 when unreadable.
char ProcessState(const std::string& proc_dir) {
  const std::optional<std::string> stat = FirstLine(proc_dir + "/stat");
  if (!stat) return 0;
  const std::size_t close = stat->rfind(')');
  return close == std::string::npos || close + 2 >= stat->size() ? 0 : (*stat)[close + 2];
}

// The name the process was started under, else the file name of its executable; empty when
// neither can be read (the process may have ended meanwhile).
std::string ProcessName(const std::string& proc_dir) {
  if (std::optional<std::string> comm = FirstLine(proc_dir + "/comm"); comm && !comm->empty()) {
    return *comm;
  }
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink(proc_dir + "/exe", ec);
  return ec ? std::string() : exe.filename().string();
}

}  // namespace

PosixProcesses::PosixProcesses(Encoding& encoding, ChildRegistry& children,
                               std::filesystem::path child_output)
    : encoding_(encoding), children_(children), child_output_(std::move(child_output)) {}

bool PosixProcesses::RunProgram(std::string_view command_line, ShowMode show) {
  const std::vector<std::string> args = SplitCommandLine(command_line);
  if (args.empty()) return false;
  std::vector<std::string> argv_utf8;
  const std::optional<std::string> program = ToHostPath(encoding_, args[0]);
  if (!program) return false;
  argv_utf8.push_back(*program);
  // Every path the core hands a program (the output file above all) is in its backslash form; on
  // this system a backslash in an argument can only be such a separator.
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::optional<std::string> host = ToHostPath(encoding_, args[i]);
    if (!host) return false;
    argv_utf8.push_back(std::move(*host));
  }
  // Where CreateProcess fails for a missing program, posix_spawn may start a child that can only
  // exit with 127; so the file is checked first.
  if (!IsExecutableFile(*program)) return false;

  std::string output = "/dev/null";
  if (!child_output_.empty()) {
    char number[16];
    std::snprintf(number, sizeof number, "%03zu-", children_.Started().size() + 1);
    output = (child_output_ / (number + FileNameOf(*program) + ".log")).string();
  }

  std::vector<char*> argv;
  for (std::string& arg : argv_utf8) argv.push_back(arg.data());
  argv.push_back(nullptr);
  SpawnSetup setup;
  if (!setup.OutputToFile(output)) return false;
  pid_t pid = -1;
  if (::posix_spawn(&pid, program->c_str(), setup.actions(), setup.attr(), argv.data(), environ) !=
      0) {
    return false;
  }
  children_.Add(pid, std::string(command_line), show, args[0]);
  return true;
}

std::vector<ProcessEntry> PosixProcesses::ListProcesses() {
  children_.Reap();
  std::vector<ProcessEntry> list;
  std::error_code ec;
  for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    uint32_t pid = 0;
    const auto [end_of_number, error] =
        std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end_of_number != name.data() + name.size() || pid == 0) continue;
    const std::string dir = it->path().string();
    const char state = ProcessState(dir);
    if (state == 0 || state == 'Z' || state == 'X') continue;  // gone, or only a zombie
    const std::string exe = ProcessName(dir);
    list.push_back({pid, Utf8ToGbk(encoding_, exe).value_or(std::string())});
  }
  return list;
}

bool PosixProcesses::TerminateProcess(uint32_t pid) {
  // 0 and ids beyond pid_t would name process groups or every process.
  if (pid == 0 || pid > static_cast<uint32_t>(INT_MAX)) return false;
  return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

std::string PosixProcesses::CaptureConsoleOutput(std::string_view command) {
  const std::optional<std::string> utf8 = GbkToUtf8(encoding_, command);
  if (!utf8) return {};
  return CaptureConsoleOutputPosix(*utf8, std::chrono::seconds(15));
}

}  // namespace morvane
