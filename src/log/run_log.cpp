#include "log/run_log.h"

#include <string>

#include "app/app.h"
#include "recording/date_time.h"
#include "text/numbers.h"

namespace morvane {

void AppendToLog(App& app, std::string_view text) { app.window.AppendText(Ctl::编辑框1日志, text); }

void AppendLogEntry(App& app, std::string_view body, int breaks, bool raise) {
  if (raise) ++app.LogCounter;
  std::string entry;
  for (int i = 0; i < breaks; ++i) entry += "\r\n";
  entry += FormatInt(app.LogCounter);
  entry += '.';
  entry += DateTimeToText(CurrentDateTime(app.platform.clock));
  entry += body;
  AppendToLog(app, entry);
}

void SetLogColour(App& app, Rgb colour) { app.window.SetTextColour(Ctl::编辑框1日志, colour); }

void SetCaption(App& app, std::string_view caption) { app.window.SetCaption(std::string(caption)); }

}  // namespace morvane
