// Helpers of the Win32 layer's tests: the helper child program, scratch folders and waiting for
// something that another process does.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace morvane::test {

// The full path of morvane_test_child.exe, which lies beside the test program.
std::string TestChildPath();

// A fresh, empty folder under the system's temporary folder (GBK path without a trailing
// backslash), removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\" + name
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Creates a file with the given bytes through CreateFileA; true on success.
bool PutFile(const std::string& path, const std::string& bytes = "");
// The whole file through CreateFileA, or "<missing>" when it cannot be opened.
std::string FileBytes(const std::string& path);

// Polls `done` every 20 ms until it gives true or `limit` has passed; the last result. Other
// processes act in their own time, so a test waits for their effect instead of sleeping a fixed
// time.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace morvane::test
