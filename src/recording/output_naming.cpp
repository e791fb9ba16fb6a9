#include "recording/output_naming.h"

#include <string>
#include <string_view>

#include "app/app.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "platform/dialogs.h"
#include "recording/date_time.h"
#include "text/gbk_text.h"
#include "text/numbers.h"

namespace morvane {
namespace {

// The path box's text that stands for "name the file after the moment the recording starts".
constexpr std::string_view kDefaultNameMarker = "默认时间文件名";
constexpr std::string_view kExtension = ".mp4";

std::string CurrentDateTimeText(App& app) {
  return DateTimeToText(CurrentDateTime(app.platform.clock));
}

// The first name base + "_N" + ".mp4" that is not taken, N starting at NameSuffixCounter; the
// counter keeps the N used, so suffixes run on across names and recordings.
std::string FirstFreeSuffixedName(App& app, const std::string& base) {
  for (;;) {
    std::string candidate = base + "_" + FormatInt(app.NameSuffixCounter) + std::string(kExtension);
    if (!app.platform.files.Exists(candidate)) return candidate;
    ++app.NameSuffixCounter;
  }
}

}  // namespace

std::string ChooseOutputPath(App& app) {
  const std::string text = app.window.Text(Ctl::编辑框_视频路径);
  if (text == kDefaultNameMarker) {
    // The date-time name gets the same protection as a typed one: two starts within one second
    // must not share a file.
    const std::string base = CurrentDateTimeText(app);
    std::string path = base + std::string(kExtension);
    if (!app.platform.files.Exists(path)) return path;
    return FirstFreeSuffixedName(app, base);
  }
  if (!app.platform.files.Exists(text)) return text;

  // The suffix goes in front of the last ".mp4", whatever its letter case; with none (or one at
  // the very start) the base is empty.
  const int pos = FindLastText(text, kExtension, /*ignore_case=*/true);
  const std::string base = pos > 1 ? text.substr(0, static_cast<std::size_t>(pos - 1)) : "";
  return FirstFreeSuffixedName(app, base);
}

void OnSaveToClicked(App& app) {
  WindowModel& w = app.window;
  SaveDialogRequest request;
  request.filter = "MP4文件|*.mp4;*.mpg;*.mkv;*.avi;*.mov";
  request.default_extension = "mp4";
  request.initial_folder = app.platform.files.CurrentDirectory();
  request.initial_name = CurrentDateTimeText(app) + std::string(kExtension);
  request.overwrite_prompt = true;
  request.path_must_exist = true;
  request.hide_read_only = true;
  request.keep_current_directory = false;

  if (std::optional<std::string> chosen = app.platform.dialogs.SaveFileDialog(request)) {
    w.SetText(Ctl::编辑框_视频路径, std::move(*chosen));
    w.SetVisible(Ctl::标签1默认, true);
  }

  // Logged whether or not the user confirmed: the folder part of what the box holds now, or the
  // whole text when it has no backslash.
  const std::string& text = w.Text(Ctl::编辑框_视频路径);
  const int last_backslash = FindLastText(text, "\\");
  app.SaveFolder =
      last_backslash > 0 ? text.substr(0, static_cast<std::size_t>(last_backslash)) : text;
  AppendLogEntry(app, std::string(msg::kSaveFolder) + app.SaveFolder, 2, true);
}

void OnOutputPathChanged(App& app) {
  WindowModel& w = app.window;
  const std::string& text = w.Text(Ctl::编辑框_视频路径);
  if (text == kDefaultNameMarker) {
    w.SetVisible(Ctl::标签1默认, false);
    return;
  }
  w.SetVisible(Ctl::标签1默认, true);
  if (FindText(text, kExtension, 1, /*ignore_case=*/true) < 0) {
    // This write raises the event once more; the text then holds ".mp4" and it ends there.
    w.SetText(Ctl::编辑框_视频路径, text + std::string(kExtension));
  }
}

void OnDefaultLabelReleased(App& app) {
  app.window.SetText(Ctl::编辑框_视频路径, std::string(kDefaultNameMarker));
  app.window.SetVisible(Ctl::标签1默认, false);
}

}  // namespace morvane
