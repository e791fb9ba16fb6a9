// Files on a POSIX system: core paths translated to host paths, the file search by HostEntryExists.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "platform/files.h"

namespace morvane {

class PosixFiles final : public Files {
 public:
  explicit PosixFiles(Encoding& encoding) : encoding_(encoding) {}

  bool Exists(std::string_view path) override;
  std::optional<std::string> ReadFile(std::string_view path) override;
  bool WriteFile(std::string_view path, std::string_view bytes) override;
  // The process's working directory in core form; empty when it has no GBK form.
  std::string CurrentDirectory() override;
  bool SetCurrentDirectory(std::string_view path) override;

 private:
  Encoding& encoding_;
};

}  // namespace morvane
