#include <algorithm>
#include <limits>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_platform.h"
#include "text/gbk_text.h"

namespace morvane {

namespace {

// The folder part of a GBK path: everything before its last backslash or slash, "." when it has
// none. A second byte 0x5C of a double-byte character is no separator.
std::string FolderOf(std::string_view path) {
  const int last = std::max(FindLastText(path, "\\"), FindLastText(path, "/"));
  if (last < 1) return ".";
  if (last == 1) return std::string(path.substr(0, 1));  // "\name": the root of the drive
  const std::string_view folder = path.substr(0, static_cast<std::size_t>(last) - 1);
  // "C:\name" keeps its backslash: "C:" alone would be the drive's current folder.
  if (folder.size() == 2 && folder[1] == ':') return std::string(path.substr(0, 3));
  return std::string(folder);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(
        std::min<std::size_t>(bytes.size(), std::numeric_limits<DWORD>::max() / 2));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool Win32Files::Exists(std::string_view path) {
  WIN32_FIND_DATAA found{};
  ScopedFindHandle search(::FindFirstFileA(std::string(path).c_str(), &found));
  return search.valid();
}

std::optional<std::string> Win32Files::ReadFile(std::string_view path) {
  ScopedHandle file(::CreateFileA(std::string(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  while (true) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    bytes.append(chunk, read);
  }
  return bytes;
}

bool Win32Files::WriteFile(std::string_view path, std::string_view bytes) {
  const std::string target(path);
  // A read-only file stays as it is, as it would for a write in place; moving a file over it
  // would replace it on some systems.
  const DWORD attributes = ::GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  char temporary[MAX_PATH + 1] = {};
  // Creates an empty file of a name that was free, so no other writer can pick the same one.
  if (::GetTempFileNameA(FolderOf(path).c_str(), "mrv", 0, temporary) == 0) return false;
  bool written = false;
  {
    ScopedHandle file(::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    written = file && WriteAll(file.get(), bytes);
  }
  if (written && ::MoveFileExA(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  ::DeleteFileA(temporary);
  return false;
}

std::string Win32Files::CurrentDirectory() {
  const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return {};
  std::string folder(needed, '\0');
  const DWORD length = ::GetCurrentDirectoryA(needed, folder.data());
  if (length == 0 || length >= needed) return {};
  folder.resize(length);
  return folder;
}

bool Win32Files::SetCurrentDirectory(std::string_view path) {
  return ::SetCurrentDirectoryA(std::string(path).c_str()) != FALSE;
}

}  // namespace morvane
