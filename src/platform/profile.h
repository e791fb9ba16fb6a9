// INI profile files: one value at a time, as the Win32 private-profile functions give them.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

class ProfileFiles {
 public:
  virtual ~ProfileFiles() = default;
  // Gives the key the value in place, or appends the key to its section and the section to the
  // file; creates the file when missing. Failures pass silently.
  virtual void WriteProfileString(std::string_view section, std::string_view key,
                                  std::string_view value, std::string_view file) = 0;
  // The key's value trimmed of blanks, one pair of enclosing quotes dropped, cut to 10239 bytes;
  // empty for a missing file, section or key. Sections and keys match without ASCII case.
  virtual std::string GetProfileString(std::string_view section, std::string_view key,
                                       std::string_view file) = 0;
};

}  // namespace morvane
