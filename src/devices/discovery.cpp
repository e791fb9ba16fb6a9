#include "devices/discovery.h"

#include <optional>
#include <string>

#include "app/app.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "text/gbk_text.h"

namespace morvane {

namespace {

// The recorder's request for its DirectShow devices; the interpreter finds "ffmpeg" in the
// current directory, then along the search path. Two blanks before "-i" are part of the command.
constexpr std::string_view kListDevicesCommand = "ffmpeg -list_devices true -f dshow  -i dummy";

// Names that hold one of these words are audio devices; letters compare exactly.
bool IsAudioDevice(std::string_view entry) {
  return FindText(entry, "Audio") != -1 || FindText(entry, "Sound") != -1;
}

}  // namespace

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool ignore_case) {
  const int p = FindText(text, left, start, ignore_case);
  if (p == -1) return {};
  const int q = p + static_cast<int>(left.size());
  const int r = FindText(text, right, q, ignore_case);
  if (r == -1) return {};
  return std::string(MiddleText(text, q, r - q));
}

int AllTextsBetween(EventPump& events, std::string_view text, std::string_view left,
                    std::string_view right, std::vector<std::string>& results,
                    const TextsBetweenOptions& options) {
  results.clear();
  int pos = options.start;
  while (true) {
    const int p = FindText(text, left, pos, options.ignore_case);
    if (p == -1) break;
    pos = p + static_cast<int>(left.size());
    const int r = FindText(text, right, pos, options.ignore_case);
    if (r == -1) break;

    std::string item;
    if (options.with_left_marker) item += left;
    item += options.prefix;
    item += MiddleText(text, pos, r - pos);
    item += options.suffix;
    if (options.with_right_marker) item += right;
    if (options.max_length == 0 || static_cast<int>(item.size()) < options.max_length) {
      results.push_back(std::move(item));
    }

    // Long listings keep the window responsive while they are cut apart.
    for (int i = 0; i < 3; ++i) events.ProcessEvents();
    // The next search starts at pos, just behind this left marker.
  }
  return static_cast<int>(results.size());
}

void DiscoverCaptureDevices(App& app) {
  const std::string output = app.platform.processes.CaptureConsoleOutput(kListDevicesCommand);

  // A listing that is not valid UTF-8, or holds a character GBK lacks, is dropped whole.
  std::string listing =
      app.platform.encoding.Convert("UTF-8", "GBK", output).value_or(std::string());
  if (const std::size_t zero = listing.find('\0'); zero != std::string::npos) listing.resize(zero);

  // Whatever follows the first "]" at or after byte 1000 up to the next quote decides which
  // lines are device lines: every "]" followed by that same text and a quote starts an entry.
  const std::string name = TextBetween(listing, "]", "\"", 1000, false);
  const std::string start_marker = "]" + name + "\"";

  std::vector<std::string> devices;
  const int count = AllTextsBetween(app.platform.events, listing, start_marker, "\"", devices,
                                    {.ignore_case = false,
                                     .max_length = 0,
                                     .prefix = "\"",
                                     .suffix = "",
                                     .with_left_marker = false,
                                     .with_right_marker = true,
                                     .start = 0});

  AppendToLog(app, std::string(msg::kDevicesFoundBefore) + std::to_string(count) +
                       std::string(msg::kDevicesFoundAfter));
  for (const std::string& device : devices) {
    AppendToLog(app, "\r\n" + device);
    app.window.AddItem(IsAudioDevice(device) ? Ctl::组合框2音频设备 : Ctl::组合框1视频设备, device,
                       0);
  }
}

}  // namespace morvane
