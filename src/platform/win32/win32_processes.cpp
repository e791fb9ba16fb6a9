#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_platform.h"

namespace morvane {

bool Win32Processes::RunProgram(std::string_view command_line, ShowMode show) {
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::vector<char> command(command_line.begin(), command_line.end());
  command.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return false;
  }
  // The program is not waited for and not kept.
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  return true;
}

std::vector<ProcessEntry> Win32Processes::ListProcesses() {
  std::vector<ProcessEntry> processes;
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return processes;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
       more = ::Process32Next(snapshot.get(), &entry)) {
    processes.push_back(ProcessEntry{entry.th32ProcessID, entry.szExeFile});
  }
  return processes;
}

bool Win32Processes::TerminateProcess(uint32_t pid) {
  ScopedHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  return process && ::TerminateProcess(process.get(), 1) != FALSE;
}

}  // namespace morvane
