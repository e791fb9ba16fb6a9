#include <algorithm>
#include <limits>
#include <vector>

#include "platform/capture_command_line.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_platform.h"

namespace morvane {

namespace {

// What the last reads after the child was terminated take at most, should something the
// termination missed keep writing.
constexpr std::size_t kFinalDrainLimit = std::size_t{1} << 20;

// The bytes waiting in the pipe, 0 when none are or the pipe is gone.
DWORD BytesWaiting(HANDLE pipe) {
  DWORD waiting = 0;
  if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) return 0;
  return waiting;
}

// Reads exactly the waiting bytes into a fresh zero-filled buffer of that size and appends what
// was read.
void ReadWaiting(HANDLE pipe, DWORD waiting, std::string& output) {
  std::vector<char> chunk(waiting, '\0');
  DWORD read = 0;
  if (::ReadFile(pipe, chunk.data(), waiting, &read, nullptr)) output.append(chunk.data(), read);
}

std::u16string ToUtf16(UINT code_page, std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return {};
  }
  const int size = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::vector<wchar_t> wide(static_cast<std::size_t>(needed));
  ::MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), needed);
  return std::u16string(wide.begin(), wide.end());
}

bool CreatedBefore(const FILETIME& a, const FILETIME& b) { return ::CompareFileTime(&a, &b) < 0; }

// Ends the interpreter and every process it started, directly or through its children: the
// parent links of one snapshot, taken while the interpreter still runs. A process created before
// the interpreter is no child of it, whatever its parent id says, since ids are reused.
void TerminateProcessTree(HANDLE root, DWORD root_pid) {
  FILETIME root_created{};
  FILETIME unused[3];
  const bool know_root_time =
      ::GetProcessTimes(root, &root_created, &unused[0], &unused[1], &unused[2]) != FALSE;

  struct Link {
    DWORD pid;
    DWORD parent;
  };
  std::vector<Link> links;
  if (ScopedHandle snapshot{::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)}) {
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
         more = ::Process32Next(snapshot.get(), &entry)) {
      links.push_back(Link{entry.th32ProcessID, entry.th32ParentProcessID});
    }
  }

  // Descendants stay open from here to their termination, so their ids cannot be reused between.
  std::vector<DWORD> tree{root_pid};
  std::vector<ScopedHandle> descendants;
  for (std::size_t i = 0; i < tree.size(); ++i) {
    for (const Link& link : links) {
      if (link.parent != tree[i] || std::find(tree.begin(), tree.end(), link.pid) != tree.end()) {
        continue;
      }
      ScopedHandle process(
          ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, link.pid));
      if (!process) continue;
      FILETIME created{};
      if (!know_root_time ||
          !::GetProcessTimes(process.get(), &created, &unused[0], &unused[1], &unused[2]) ||
          CreatedBefore(created, root_created)) {
        continue;
      }
      tree.push_back(link.pid);
      descendants.push_back(std::move(process));
    }
  }
  // The interpreter first, so that it starts nothing more when its child ends.
  ::TerminateProcess(root, 1);
  for (const ScopedHandle& process : descendants) ::TerminateProcess(process.get(), 1);
}

}  // namespace

std::string CaptureConsoleOutputWin32(std::string_view command, std::chrono::milliseconds bound) {
  const ULONGLONG started_at = ::GetTickCount64();
  const ULONGLONG bound_ms = static_cast<ULONGLONG>(std::max<std::int64_t>(bound.count(), 0));
  const auto past_bound = [&] { return ::GetTickCount64() - started_at >= bound_ms; };

  // Code page 936 whatever the system's ANSI code page; the empty command converts to nothing.
  const std::u16string command_utf16 = ToUtf16(936, command);
  if (!command.empty() && command_utf16.empty()) return {};

  // nLength is 12 in the 32-bit program. The same record makes the process handle inheritable.
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = TRUE;
  ScopedHandle read_end;
  ScopedHandle write_end;
  if (!::CreatePipe(read_end.Receive(), write_end.Receive(), &attributes, 0)) return {};

  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool nt_family =
      ::GetVersionExA(&version) != FALSE && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
  const std::u16string line = CaptureCommandLineBuffer(nt_family, command_utf16);
  std::vector<wchar_t> buffer(line.begin(), line.end());

  // cb is 68 in the 32-bit program; every field not set here is zero.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = read_end.get();
  startup.hStdOutput = write_end.get();
  startup.hStdError = write_end.get();
  PROCESS_INFORMATION child{};
  const BOOL created = ::CreateProcessW(nullptr, buffer.data(), &attributes, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &child);
  // Only the child's copies of the write end may stay open, whether it started or not.
  write_end.Reset();
  if (!created) return {};
  ScopedHandle process(child.hProcess);
  ::CloseHandle(child.hThread);
  ::WaitForInputIdle(process.get(), 1000);

  std::string output;
  bool ended = false;
  while (true) {
    if (const DWORD waiting = BytesWaiting(read_end.get()); waiting > 0) {
      ReadWaiting(read_end.get(), waiting, output);
    } else {
      DWORD code = STILL_ACTIVE;
      if (!::GetExitCodeProcess(process.get(), &code) || code != STILL_ACTIVE) {
        ended = true;
        break;
      }
    }
    if (past_bound()) break;
    ::Sleep(1);
  }

  if (ended) {
    // Bytes that arrived between the pass's peek and its exit-code test. Processes the
    // interpreter left behind may go on writing: they get until the bound.
    while (const DWORD waiting = BytesWaiting(read_end.get())) {
      ReadWaiting(read_end.get(), waiting, output);
      if (past_bound()) break;
    }
  } else {
    TerminateProcessTree(process.get(), child.dwProcessId);
    // What is in the pipe now had arrived in time.
    const std::size_t limit = output.size() + kFinalDrainLimit;
    while (output.size() < limit) {
      const DWORD waiting = BytesWaiting(read_end.get());
      if (waiting == 0) break;
      ReadWaiting(read_end.get(), waiting, output);
    }
  }

  const std::size_t zero = output.find('\0');
  if (zero != std::string::npos) output.resize(zero);
  return output;
}

}  // namespace morvane
