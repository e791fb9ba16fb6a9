// <windows.h> for the Win32 layer and its front-end. Include it instead of <windows.h> itself:
// the ANSI/Unicode name macros below would otherwise rename the core's own functions and methods
// (Files::SetCurrentDirectory, ProfileFiles::GetProfileString, FindText) in the files that see
// them. The Win32 functions behind them are called by their "A" or "W" names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
// After <windows.h>, which they need.
#include <commdlg.h>
#include <tlhelp32.h>

#undef FindText
#undef FindWindow
#undef GetProfileString
#undef SetCurrentDirectory
#undef WriteProfileString
