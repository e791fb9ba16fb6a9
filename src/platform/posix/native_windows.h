// The machine's own window system beside the console windows of our children: X11 in builds
// that have Xlib (x11_windows.cpp), none otherwise (no_native_windows.cpp). The build picks the
// file.
#pragma once

#include <memory>
#include <optional>

#include "platform/encoding.h"
#include "platform/posix/posix_windows.h"

namespace morvane {

class NativeWindowSystem : public ForeignWindows {
 public:
  // The window's outer rectangle on the screen (border included), in the terms MoveWindow takes;
  // nullopt for a handle that is no window.
  virtual std::optional<Rect> WindowPlace(WindowHandle window) = 0;
};

// Connects to the window system named by `display` (null: the DISPLAY variable). Null when this
// build has none, no display is named, or the connection fails; the caller then lists only the
// console windows. Titles come back in GBK, converted through `encoding`, which must outlive it.
std::unique_ptr<NativeWindowSystem> OpenNativeWindowSystem(Encoding& encoding,
                                                           const char* display = nullptr);

}  // namespace morvane
