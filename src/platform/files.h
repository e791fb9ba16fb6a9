// Files, by GBK path with backslashes, absolute or relative to the current directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvane {

class Files {
 public:
  virtual ~Files() = default;
  // True when the system's file search finds an entry by this name: a file or a folder, with
  // "*" and "?" in the last component taken as wildcards.
  virtual bool Exists(std::string_view path) = 0;
  // The whole file, or nullopt when it cannot be read.
  virtual std::optional<std::string> ReadFile(std::string_view path) = 0;
  // Replaces the file whole: a failed write leaves the previous content as it was.
  virtual bool WriteFile(std::string_view path, std::string_view bytes) = 0;
  virtual std::string CurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(std::string_view path) = 0;
};

}  // namespace morvane
