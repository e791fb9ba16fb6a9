// Builds without a window system library: only the console windows of our children exist.
#include "platform/posix/native_windows.h"

namespace morvane {

std::unique_ptr<NativeWindowSystem> OpenNativeWindowSystem(Encoding&, const char*) {
  return nullptr;
}

}  // namespace morvane
