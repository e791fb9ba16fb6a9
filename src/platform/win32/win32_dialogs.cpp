#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"
#include "text/gbk_text.h"

namespace morvane {

namespace {

// Room for the chosen path; long paths fit, the dialog refuses longer ones itself.
constexpr std::size_t kPathBufferSize = 4096;

// "label|patterns|label|patterns" as the system wants it: each piece ended by a NUL, and one
// more NUL at the end. A "|" that is the second byte of a double-byte character stays.
std::string NulSeparatedFilter(std::string_view filter) {
  std::string pieces;
  if (filter.empty()) return pieces;
  for (const std::string& piece : SplitText(filter, "|")) {
    pieces += piece;
    pieces += '\0';
  }
  pieces += '\0';
  return pieces;
}

}  // namespace

std::optional<std::string> Win32Dialogs::SaveFileDialog(const SaveDialogRequest& request) {
  const std::string filter = NulSeparatedFilter(request.filter);
  const std::string default_extension = request.default_extension;
  const std::string initial_folder = request.initial_folder;
  std::vector<char> path(kPathBufferSize, '\0');
  std::memcpy(path.data(), request.initial_name.data(),
              std::min(request.initial_name.size(), path.size() - 1));

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = reinterpret_cast<HWND>(static_cast<uintptr_t>(owner_));
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = initial_folder.empty() ? nullptr : initial_folder.c_str();
  dialog.lpstrDefExt = default_extension.empty() ? nullptr : default_extension.c_str();
  dialog.Flags = 0;
  if (request.overwrite_prompt) dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (request.path_must_exist) dialog.Flags |= OFN_PATHMUSTEXIST;
  if (request.hide_read_only) dialog.Flags |= OFN_HIDEREADONLY;
  // Without it the dialog may leave the current directory where the user browsed to.
  if (request.keep_current_directory) dialog.Flags |= OFN_NOCHANGEDIR;

  if (!::GetSaveFileNameA(&dialog)) return std::nullopt;
  return std::string(path.data());
}

}  // namespace morvane
