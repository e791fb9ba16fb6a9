#include "platform/posix/posix_files.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/host_files.h"
#include "platform/posix/paths.h"

namespace morvane {

bool PosixFiles::Exists(std::string_view path) {
  // The system's search finds nothing for an empty name.
  if (path.empty()) return false;
  const std::optional<std::string> host = ToHostPath(encoding_, path);
  return host && HostEntryExists(*host);
}

std::optional<std::string> PosixFiles::ReadFile(std::string_view path) {
  const std::optional<std::string> host = ToHostPath(encoding_, path);
  if (!host || host->empty()) return std::nullopt;
  return ReadHostFile(*host);
}

bool PosixFiles::WriteFile(std::string_view path, std::string_view bytes) {
  const std::optional<std::string> host = ToHostPath(encoding_, path);
  return host && !host->empty() && WriteHostFileAtomically(*host, bytes);
}

std::string PosixFiles::CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return FromHostPath(encoding_, buffer.data()).value_or(std::string());
}

bool PosixFiles::SetCurrentDirectory(std::string_view path) {
  const std::optional<std::string> host = ToHostPath(encoding_, path);
  return host && !host->empty() && ::chdir(host->c_str()) == 0;
}

}  // namespace morvane
