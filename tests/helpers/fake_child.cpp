// A stand-in for a recorder in tests of starting real processes. It appends a report to the file
// named by MORVANE_FAKE_CHILD_LOG:
//
//   arg=ARGUMENT        one line per argument, argv[0] first
//   stdin=eof|open      whether its standard input is at end of file at once
//   own-group=1|0       whether it leads a process group of its own
//   extra-fds=N         descriptors above 2 it inherited
//   cwd=FOLDER          its working directory
//   ready               all of the above is written; SIGINT is handled from here on
//   interrupted         its first SIGINT arrived
//
// It also writes one line to its standard output and one to its standard error.
// Then it ends with status 0. With MORVANE_FAKE_CHILD_LINGER=1 it stays after the first SIGINT,
// counts further ones, and on SIGTERM appends "interrupts=N" and ends.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace {

volatile sig_atomic_t interrupts = 0;
volatile sig_atomic_t terminated = 0;

void OnInterrupt(int) { interrupts = interrupts + 1; }
void OnTerminate(int) { terminated = 1; }

int log_fd = -1;

void Append(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(log_fd, text.data() + done, text.size() - done);
    if (n <= 0) std::_Exit(3);
    done += static_cast<std::size_t>(n);
  }
}

int InheritedDescriptors() {
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const int fd = std::atoi(entry->d_name);
    if (entry->d_name[0] != '.' && fd > 2 && fd != ::dirfd(dir)) ++count;
  }
  ::closedir(dir);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  // Handled signals wait, blocked, until sigsuspend lets them in.
  sigset_t handled;
  sigemptyset(&handled);
  sigaddset(&handled, SIGINT);
  sigaddset(&handled, SIGTERM);
  sigset_t before;
  sigprocmask(SIG_BLOCK, &handled, &before);
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  action.sa_handler = OnTerminate;
  sigaction(SIGTERM, &action, nullptr);

  const int extra_fds = InheritedDescriptors();
  const char* log_path = std::getenv("MORVANE_FAKE_CHILD_LOG");
  if (log_path == nullptr) return 2;
  log_fd = ::open(log_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (log_fd < 0) return 2;
  const char* linger_value = std::getenv("MORVANE_FAKE_CHILD_LINGER");
  const bool linger = linger_value != nullptr && std::string(linger_value) == "1";

  std::string report;
  for (int i = 0; i < argc; ++i) report += "arg=" + std::string(argv[i]) + "\n";
  pollfd input{STDIN_FILENO, POLLIN, 0};
  char byte = 0;
  const bool at_eof = ::poll(&input, 1, 0) == 1 && ::read(STDIN_FILENO, &byte, 1) == 0;
  report += std::string("stdin=") + (at_eof ? "eof" : "open") + "\n";
  report += std::string("own-group=") + (::getpgrp() == ::getpid() ? "1" : "0") + "\n";
  report += "extra-fds=" + std::to_string(extra_fds) + "\n";
  char cwd[PATH_MAX];
  report += std::string("cwd=") + (::getcwd(cwd, sizeof cwd) ? cwd : "?") + "\n";
  report += "ready\n";
  Append(report);
  static const char kOut[] = "fake child: standard output\n";
  static const char kErr[] = "fake child: standard error\n";
  if (::write(STDOUT_FILENO, kOut, sizeof kOut - 1) < 0 ||
      ::write(STDERR_FILENO, kErr, sizeof kErr - 1) < 0) {
    Append("output failed\n");
  }

  sigset_t waiting = before;
  sigdelset(&waiting, SIGINT);
  sigdelset(&waiting, SIGTERM);
  bool reported = false;
  while (true) {
    sigsuspend(&waiting);
    if (interrupts > 0 && !reported) {
      Append("interrupted\n");
      reported = true;
      if (!linger) return 0;
    }
    if (terminated) {
      Append("interrupts=" + std::to_string(interrupts) + "\n");
      return 0;
    }
  }
}
