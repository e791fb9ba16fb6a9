#include "test_support.h"

#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace morvane::test {

namespace {

// Removes a folder and everything below it; what cannot be removed stays.
void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry{};
  {
    ScopedFindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (search) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          ::DeleteFileA(path.c_str());
        }
      } while (::FindNextFileA(search.get(), &entry));
    }
  }
  ::RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::string TestChildPath() {
  return Win32Platform::ExecutableFolder() + "\\morvane_test_child.exe";
}

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  std::string base(temp, length);
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (unsigned n = ::GetCurrentProcessId() * 1000u;; ++n) {
    path_ = base + "\\morvane-win32-" + std::to_string(n);
    if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

bool PutFile(const std::string& path, const std::string& bytes) {
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written, nullptr) &&
                           written == bytes.size());
}

std::string FileBytes(const std::string& path) {
  Win32Files files;
  return files.ReadFile(path).value_or("<missing>");
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const ULONGLONG until = ::GetTickCount64() + static_cast<ULONGLONG>(limit.count());
  while (true) {
    if (done()) return true;
    if (::GetTickCount64() >= until) return done();
    ::Sleep(20);
  }
}

}  // namespace morvane::test
