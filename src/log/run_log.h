// The run log (the edit box 编辑框1日志), its text colour, and the window caption.
#pragma once

#include <string_view>

#include "app/window_model.h"

namespace morvane {

struct App;

inline constexpr Rgb kLogWhite{255, 255, 255};
inline constexpr Rgb kLogMagenta{255, 0, 255};
inline constexpr Rgb kLogPinkRed{255, 80, 128};

// Appends `text` unchanged at the very end of the log.
void AppendToLog(App& app, std::string_view text);

// Appends a numbered entry: `breaks` line breaks, LogCounter (raised first when `raise`), ".",
// the current date-time text, then `body`.
void AppendLogEntry(App& app, std::string_view body, int breaks, bool raise);

void SetLogColour(App& app, Rgb colour);
void SetCaption(App& app, std::string_view caption);

}  // namespace morvane
