// The system's file dialogs.
#pragma once

#include <optional>
#include <string>

namespace morvane {

struct SaveDialogRequest {
  std::string filter;             // "label|patterns", as the toolkit writes it
  std::string default_extension;  // added when the user types a name without one
  std::string initial_folder;
  std::string initial_name;
  bool overwrite_prompt = true;
  bool path_must_exist = true;
  bool hide_read_only = true;
  bool keep_current_directory = false;  // false: the dialog may move the current directory
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The chosen full path, or nullopt when the user cancelled.
  virtual std::optional<std::string> SaveFileDialog(const SaveDialogRequest& request) = 0;
};

}  // namespace morvane
