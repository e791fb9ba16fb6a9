#include "platform/posix/console_capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/posix/spawn.h"

extern char** environ;

namespace morvane {

namespace {

using Clock = std::chrono::steady_clock;

// Longest wait of one pass while nothing arrives: how late the end of the shell can be noticed.
constexpr int kPassMs = 10;
// What the last read after a kill takes at most: more than a pipe holds, and a limit should an
// outside writer keep the pipe busy.
constexpr std::size_t kFinalDrainLimit = std::size_t{1} << 20;

// Owns one file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// A pipe end moved above the standard descriptors, so that the child's dup2 onto 0, 1 and 2 never
// meets one of its own pipe ends there; close-on-exec.
UniqueFd AboveStandardFds(int fd) {
  if (fd > STDERR_FILENO) return UniqueFd(fd);
  UniqueFd original(fd);
  return UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
}

// Collects the output up to its first zero byte; what comes after it is read and dropped, so the
// child never blocks on a full pipe.
class Collector {
 public:
  enum class Read { kData, kNothingNow, kEnd };

  explicit Collector(int fd) : fd_(fd) {}

  // One read of what the pipe holds; kEnd at end of file or on an error.
  Read ReadOnce() {
    while (true) {
      const ssize_t n = ::read(fd_, chunk_.data(), chunk_.size());
      if (n > 0) {
        Keep(static_cast<std::size_t>(n));
        return Read::kData;
      }
      if (n == 0) return Read::kEnd;
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return Read::kNothingNow;
      return Read::kEnd;
    }
  }

  std::size_t total() const { return total_; }
  std::string Take() { return std::move(text_); }

 private:
  void Keep(std::size_t n) {
    total_ += n;
    if (cut_) return;
    const char* end = static_cast<const char*>(std::memchr(chunk_.data(), '\0', n));
    if (end != nullptr) {
      n = static_cast<std::size_t>(end - chunk_.data());
      cut_ = true;
    }
    text_.append(chunk_.data(), n);
  }

  int fd_;
  std::array<char, 65536> chunk_{};
  std::string text_;
  std::size_t total_ = 0;
  bool cut_ = false;
};

// Whether the child has ended, leaving it unreaped so that its process group id stays taken.
bool ChildEnded(pid_t pid) {
  while (true) {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
      return info.si_pid != 0;
    }
    if (errno != EINTR) return true;  // ECHILD: reaped elsewhere, nothing left to wait for
  }
}

void Reap(pid_t pid) {
  while (::waitpid(pid, nullptr, 0) == -1 && errno == EINTR) {
  }
}

// Milliseconds to wait in this pass: at most one pass, at least 1 ms, never far past `deadline`.
int PassWait(Clock::time_point now, Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
  return static_cast<int>(std::clamp<long long>(left, 1, kPassMs));
}

}  // namespace

std::string CaptureConsoleOutputPosix(std::string_view command_utf8,
                                      std::chrono::milliseconds bound) {
  const Clock::time_point deadline = Clock::now() + bound;

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return {};
  UniqueFd read_end = AboveStandardFds(ends[0]);
  UniqueFd write_end = AboveStandardFds(ends[1]);
  if (read_end.get() < 0 || write_end.get() < 0) return {};
  // Only our end is non-blocking; the child writes as to any pipe.
  const int status_flags = ::fcntl(read_end.get(), F_GETFL);
  if (status_flags == -1 || ::fcntl(read_end.get(), F_SETFL, status_flags | O_NONBLOCK) == -1) {
    return {};
  }

  pid_t pid = -1;
  {
    SpawnSetup setup;
    if (!setup.OutputTo(write_end.get())) return {};
    std::string shell = "/bin/sh";
    std::string flag = "-c";
    std::string command(command_utf8);
    char* argv[] = {shell.data(), flag.data(), command.data(), nullptr};
    const int error = ::posix_spawn(&pid, "/bin/sh", setup.actions(), setup.attr(), argv, environ);
    // Our copy of the write end goes at once, so that the pipe ends when the child's copies do.
    write_end.Reset();
    if (error != 0) return {};
  }

  Collector collector(read_end.get());
  bool pipe_ended = false;
  bool child_ended = false;
  while (Clock::now() < deadline) {
    if (ChildEnded(pid)) {
      child_ended = true;
      break;
    }
    const int wait_ms = PassWait(Clock::now(), deadline);
    if (pipe_ended) {
      // The child closed its output but runs on; only its end is awaited now.
      ::poll(nullptr, 0, wait_ms);
      continue;
    }
    pollfd waiting{read_end.get(), POLLIN, 0};
    const int ready = ::poll(&waiting, 1, wait_ms);
    if (ready > 0 && collector.ReadOnce() == Collector::Read::kEnd) pipe_ended = true;
  }

  bool timed_out = !child_ended;
  if (child_ended) {
    // Whatever the child wrote before it ended is in the pipe now; take all of it. Processes it
    // left behind may still write: they get until the deadline.
    while (!pipe_ended) {
      const Collector::Read read = collector.ReadOnce();
      if (read == Collector::Read::kEnd) pipe_ended = true;
      if (read == Collector::Read::kNothingNow) break;
      if (Clock::now() >= deadline) {
        timed_out = true;
        break;
      }
    }
  }
  if (timed_out) {
    // The child is not reaped yet, so its process group id cannot have been reused.
    ::kill(-pid, SIGKILL);
    const std::size_t limit = collector.total() + kFinalDrainLimit;
    while (!pipe_ended && collector.total() < limit) {
      if (collector.ReadOnce() != Collector::Read::kData) break;
    }
  }
  Reap(pid);
  return collector.Take();
}

}  // namespace morvane
