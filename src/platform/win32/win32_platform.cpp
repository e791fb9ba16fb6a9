#include "platform/win32/win32_platform.h"

#include <vector>

#include "platform/win32/win32_api.h"
#include "text/gbk_text.h"

namespace morvane {

Win32Platform::Win32Platform()
    : clock_(MakeSystemClock()),
      encoding_(MakeSystemEncoding()),
      profiles_(files_),
      platform_{*clock_, *encoding_, files_, processes_, windows_, dialogs_, events_, profiles_} {}

std::string Win32Platform::ExecutableFolder() {
  std::vector<char> path(MAX_PATH, '\0');
  while (true) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
  const std::string_view full(path.data(), path.size());
  const int last_backslash = FindLastText(full, "\\");
  return last_backslash > 0 ? std::string(full.substr(0, last_backslash - 1)) : std::string();
}

}  // namespace morvane
