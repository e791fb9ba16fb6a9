// Real files on the host file system, under host paths (UTF-8 on POSIX). The platforms without a
// native file search of their own build their Files service on these.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

// The file-search pattern rule: "*" matches any run of characters, "?" exactly one, other
// characters compare without regard to ASCII case. Works on UTF-8 names, a character at a time.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// True when an entry (file, folder or link) by that name exists; "*" and "?" in the last
// component match as wildcards against the entries of its folder.
bool HostEntryExists(const std::filesystem::path& path);

std::optional<std::string> ReadHostFile(const std::filesystem::path& path);

// Writes a temporary file beside `path` and renames it over the old one, so that an interrupted
// write leaves the previous content whole. `before_rename`, when given, runs once the temporary
// file is complete (tests stop the process there).
bool WriteHostFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                             const std::function<void()>& before_rename = {});

}  // namespace morvane
