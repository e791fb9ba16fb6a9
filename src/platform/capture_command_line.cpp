#include "platform/capture_command_line.h"

namespace morvane {

namespace {

// Bytes reserved behind the prefix for the command and its terminator.
constexpr std::size_t kCommandSlotBytes = 520;

}  // namespace

std::u16string CaptureCommandLineBuffer(bool nt_family, std::u16string_view command_utf16) {
  std::u16string buffer = nt_family ? u"cmd.exe /c " : u"command.com /c ";
  // L: bytes of the converted command with its terminator; the empty command converts to nothing.
  std::size_t converted_bytes = 0;
  if (!command_utf16.empty()) {
    buffer += command_utf16;
    buffer += u'\0';
    converted_bytes = (command_utf16.size() + 1) * sizeof(char16_t);
  }
  if (converted_bytes < kCommandSlotBytes) {
    // L counts whole 2-byte units, so 520 - L is always even; rounding up would keep the buffer
    // whole units if it ever were odd.
    const std::size_t padding_bytes = kCommandSlotBytes - converted_bytes;
    buffer.append((padding_bytes + 1) / sizeof(char16_t), u'\0');
  }
  return buffer;
}

}  // namespace morvane
