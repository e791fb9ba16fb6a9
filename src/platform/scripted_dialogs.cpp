#include "platform/scripted_dialogs.h"

#include <algorithm>
#include <utility>

#include "text/gbk_text.h"

namespace morvane {
namespace {

bool StartsWithDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

std::string FullPathIn(Files& files, std::string_view name) {
  // "/" never occurs inside a double-byte character, so it can be replaced byte by byte.
  std::string path(name);
  std::replace(path.begin(), path.end(), '/', '\\');
  if ((!path.empty() && path[0] == '\\') || StartsWithDrive(path)) return path;
  std::string folder = files.CurrentDirectory();
  if (!folder.empty() && FindLastText(folder, "\\") != static_cast<int>(folder.size())) {
    folder += '\\';
  }
  return folder + path;
}

ScriptedDialogs::ScriptedDialogs(Files& files, FullPath full_path)
    : files_(files), full_path_(std::move(full_path)) {
  if (!full_path_) full_path_ = [this](std::string_view name) { return FullPathIn(files_, name); };
}

void ScriptedDialogs::QueueAnswer(std::optional<std::string> path) {
  answers_.push_back(std::move(path));
}

std::optional<std::string> ScriptedDialogs::SaveFileDialog(const SaveDialogRequest& request) {
  last_request_ = request;
  if (answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(answers_.front());
  answers_.pop_front();
  if (!answer) return std::nullopt;

  std::string chosen = full_path_(*answer);
  const int last_backslash = FindLastText(chosen, "\\");
  const std::size_t name_start = last_backslash > 0 ? static_cast<std::size_t>(last_backslash) : 0;
  if (chosen.find('.', name_start) == std::string::npos && !request.default_extension.empty()) {
    chosen += "." + request.default_extension;
  }
  // Without the option that keeps it, the dialog leaves the current directory where the user
  // browsed to. A root folder keeps its backslash.
  if (!request.keep_current_directory && last_backslash > 0) {
    std::size_t folder_end = static_cast<std::size_t>(last_backslash) - 1;
    if (folder_end == 0 || (folder_end == 2 && StartsWithDrive(chosen))) ++folder_end;
    files_.SetCurrentDirectory(chosen.substr(0, folder_end));
  }
  return chosen;
}

}  // namespace morvane
