// How every child program starts: in a process group of its own (a Ctrl+C at our terminal does not
// reach it), with no signal blocked and every signal at its default action, standard input from
// /dev/null (it can never wait at a prompt), and no descriptor of ours above 2.
#pragma once

#include <spawn.h>

#include <string>

namespace morvane {

class SpawnSetup {
 public:
  SpawnSetup();
  ~SpawnSetup();
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // Standard output and standard error into the descriptor `fd` (above 2).
  bool OutputTo(int fd);
  // Standard output and standard error into the file at `path`, created or emptied.
  bool OutputToFile(const std::string& path);

  const posix_spawnattr_t* attr() const { return &attr_; }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }

 private:
  bool Attributes();
  bool CloseTheRest();

  posix_spawnattr_t attr_{};
  posix_spawn_file_actions_t actions_{};
  bool attr_ok_ = false;
  bool actions_ok_ = false;
};

}  // namespace morvane
