// How the native main window names itself and its controls, for the window and for the programs
// that drive it in tests.
#pragma once

#include "app/controls.h"

namespace morvane {

// The main window's class name.
inline constexpr wchar_t kMainWindowClass[] = L"MorvaneMainWindow";

// A control's child-window identifier and, for a timer, its timer identifier: this base plus the
// control's index in control order.
inline constexpr int kFirstControlId = 1000;

constexpr int ControlId(Ctl control) { return kFirstControlId + static_cast<int>(control); }

}  // namespace morvane
