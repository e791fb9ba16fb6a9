// Finding the tool's child programs again by the titles of their windows.
#pragma once

#include "platform/windows.h"

namespace morvane {

struct App;

// The last visible top-level window, in the system's enumeration order, whose title contains
// app.SearchTitle (bytes compared exactly); kNoWindow when none does. An untitled window never
// matches.
WindowHandle FindWindowByTitlePart(App& app);

}  // namespace morvane
