// The command-line buffer of the console capture on Windows, built from UTF-16 code units so that
// it can be checked on any system.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// The interpreter's prefix ("cmd.exe /c " on the NT family, "command.com /c " elsewhere), then
// the command with its terminating zero unit, then zero units that fill the command's slot up to
// 520 bytes (260 units). A command of 259 units or more fills or overflows the slot, gets no
// padding and is passed whole.
//
// An empty command converts to no units at all, not even a terminator, so its slot is 520 bytes
// of zeros: the buffer is the prefix followed by 260 zero units, which still ends the command line
// right behind the prefix.
std::u16string CaptureCommandLineBuffer(bool nt_family, std::u16string_view command_utf16);

}  // namespace morvane
