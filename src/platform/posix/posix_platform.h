// The real platform on a POSIX system: every service the core uses, owned in one place.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/ini_profiles.h"
#include "platform/platform.h"
#include "platform/posix/children.h"
#include "platform/posix/event_pump.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_processes.h"
#include "platform/posix/posix_windows.h"
#include "platform/scripted_dialogs.h"

namespace morvane {

struct PosixOptions {
  // A folder for the started programs' output, one log file each; empty: their output is dropped.
  std::filesystem::path child_output;
  // The screen area while no window system tells it.
  Rect screen{0, 0, 1920, 1080};
};

class PosixPlatform {
 public:
  explicit PosixPlatform(PosixOptions options = {});
  PosixPlatform(const PosixPlatform&) = delete;
  PosixPlatform& operator=(const PosixPlatform&) = delete;

  Platform& platform() { return platform_; }
  Encoding& encoding() { return *encoding_; }
  // The file dialogs answer from a script.
  ScriptedDialogs& dialogs() { return dialogs_; }
  // The programs started in this run.
  ChildRegistry& children() { return children_; }
  // Where a native window system is attached (SetForeignWindows).
  PosixWindows& windows() { return windows_; }

 private:
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<Encoding> encoding_;
  PosixFiles files_;
  ChildRegistry children_;
  PosixProcesses processes_;
  PosixWindows windows_;
  ScriptedDialogs dialogs_;
  PosixEventPump events_;
  IniProfileFiles profiles_;
  Platform platform_;
};

}  // namespace morvane
