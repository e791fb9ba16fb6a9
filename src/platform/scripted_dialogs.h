// File dialogs answered from a queue instead of a user: for scripted runs and tests.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dialogs.h"
#include "platform/files.h"

namespace morvane {

class ScriptedDialogs final : public Dialogs {
 public:
  // Gives the full path the system's dialog would return for a name typed into it.
  using FullPath = std::function<std::string(std::string_view)>;

  // Without `full_path`, FullPathIn(files, name) is used.
  explicit ScriptedDialogs(Files& files, FullPath full_path = nullptr);
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  // The answer to the next dialog; nullopt: the user cancels.
  void QueueAnswer(std::optional<std::string> path);
  const std::optional<SaveDialogRequest>& LastRequest() const { return last_request_; }

  // The next queued answer, cancelled when none is left. A chosen name becomes a full path and
  // gets the default extension when its file name has no "."; the current directory then moves to
  // its folder unless the request keeps it.
  std::optional<std::string> SaveFileDialog(const SaveDialogRequest& request) override;

 private:
  Files& files_;
  FullPath full_path_;
  std::deque<std::optional<std::string>> answers_;
  std::optional<SaveDialogRequest> last_request_;
};

// `name` with "/" read as a backslash; a name that starts with a backslash or a drive ("X:")
// is whole already, any other lies in the current directory.
std::string FullPathIn(Files& files, std::string_view name);

}  // namespace morvane
