#include "platform/posix/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace morvane {

SpawnSetup::SpawnSetup() {
  attr_ok_ = posix_spawnattr_init(&attr_) == 0;
  actions_ok_ = posix_spawn_file_actions_init(&actions_) == 0;
}

SpawnSetup::~SpawnSetup() {
  if (attr_ok_) posix_spawnattr_destroy(&attr_);
  if (actions_ok_) posix_spawn_file_actions_destroy(&actions_);
}

bool SpawnSetup::Attributes() {
  if (!attr_ok_ || !actions_ok_) return false;
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  const short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  return posix_spawnattr_setflags(&attr_, flags) == 0 &&
         posix_spawnattr_setpgroup(&attr_, 0) == 0 &&
         posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
         posix_spawnattr_setsigdefault(&attr_, &all) == 0 &&
         posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0;
}

bool SpawnSetup::CloseTheRest() {
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
  return posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1) == 0;
#else
  return true;  // our descriptors are close-on-exec
#endif
}

bool SpawnSetup::OutputTo(int fd) {
  return Attributes() && posix_spawn_file_actions_adddup2(&actions_, fd, STDOUT_FILENO) == 0 &&
         posix_spawn_file_actions_adddup2(&actions_, fd, STDERR_FILENO) == 0 && CloseTheRest();
}

bool SpawnSetup::OutputToFile(const std::string& path) {
  return Attributes() &&
         posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, path.c_str(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644) == 0 &&
         posix_spawn_file_actions_adddup2(&actions_, STDOUT_FILENO, STDERR_FILENO) == 0 &&
         CloseTheRest();
}

}  // namespace morvane
