#include "app/window_search.h"

#include "app/app.h"
#include "text/gbk_text.h"

namespace morvane {

WindowHandle FindWindowByTitlePart(App& app) {
  WindowHandle found = kNoWindow;
  for (WindowHandle window : app.platform.windows.ListVisibleWindows()) {
    const std::string title = app.platform.windows.GetWindowTitle(window);
    if (!title.empty() && FindText(title, app.SearchTitle) != -1) found = window;
  }
  return found;
}

}  // namespace morvane
