// The running tool: the platform it runs on, its main window, and the shared texts and counters
// that live for the whole process.
#pragma once

#include <cstdint>
#include <string>

#include "app/window_model.h"
#include "platform/platform.h"

namespace morvane {

struct App : public EventSink {
  // `run_directory` is the folder of the tool's executable, without a trailing backslash.
  App(Platform& platform, std::string run_directory);

  // Process start: the run directory becomes the current directory and the window is created,
  // which raises its created event (start-up).
  void Start();
  // Closes the main window: its will-be-destroyed event (shut-down) runs, then it is gone.
  void Close();
  bool Destroyed() const { return destroyed_; }

  // Routes every control event of the window to its handler.
  void OnControlEvent(Ctl control, ControlEvent event, int arg) override;

  Platform& platform;
  WindowModel window;

  const std::string RunDirectory;
  // Recorder command line and its fragments, composed when a recording or preview starts.
  std::string RecorderPath;
  std::string SourceArgs;
  std::string VideoInputArg;
  std::string AudioInputArg;
  std::string FrameRateArg;
  std::string BitrateArg;
  std::string MaxRateArg;
  std::string DurationArg;
  std::string DeinterlaceArg;
  // The text a window search looks for in window titles.
  std::string SearchTitle;
  // The number of the last numbered log entry.
  int32_t LogCounter = 0;
  // Suffix of the next candidate output name; shared by all recordings of the run.
  int32_t NameSuffixCounter = 0;
  // The folder last shown by the save button.
  std::string SaveFolder;

 private:
  bool destroyed_ = false;
};

// The source radio buttons' handlers: each shows its own source's controls and hides the other's.
void OnDeviceSourceClicked(App& app);
void OnPullSourceClicked(App& app);

}  // namespace morvane
