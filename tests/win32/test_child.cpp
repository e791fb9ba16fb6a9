// A console program that the Win32 layer's tests start:
//
//   morvane_test_child print TEXT...  writes the texts to standard output, separated by blanks
//   morvane_test_child stderr TEXT    writes TEXT to standard error
//   morvane_test_child zero           writes "before", a zero byte, then "after"
//   morvane_test_child bulk N         writes N bytes of the repeating pattern "0123456789"
//   morvane_test_child wait           writes "started" and waits until it is ended from outside
//
// It writes with WriteFile to the standard handles, so the bytes arrive as given.
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"

namespace {

void Write(DWORD which, std::string_view bytes) {
  const HANDLE out = ::GetStdHandle(which);
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0) {
      std::exit(3);
    }
    bytes.remove_prefix(written);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "print") {
    std::string text;
    for (int i = 2; i < argc; ++i) {
      if (i > 2) text += ' ';
      text += argv[i];
    }
    Write(STD_OUTPUT_HANDLE, text);
    return 0;
  }
  if (mode == "stderr" && argc == 3) {
    Write(STD_ERROR_HANDLE, argv[2]);
    return 0;
  }
  if (mode == "zero") {
    Write(STD_OUTPUT_HANDLE, std::string_view("before\0after", 12));
    return 0;
  }
  if (mode == "bulk" && argc == 3) {
    const long count = std::strtol(argv[2], nullptr, 10);
    std::string bytes;
    for (long i = 0; i < count; ++i) bytes += static_cast<char>('0' + i % 10);
    Write(STD_OUTPUT_HANDLE, bytes);
    return 0;
  }
  if (mode == "wait") {
    Write(STD_OUTPUT_HANDLE, "started");
    ::Sleep(INFINITE);
    return 0;
  }
  Write(STD_ERROR_HANDLE, "usage: morvane_test_child print|stderr|zero|bulk|wait ...\n");
  return 2;
}
