// The INI engine on arbitrary files, sections, keys and values. The input is split at its first
// three zero bytes into content, section, key and value. Any input must neither crash nor hang;
// and for a plain section, key and value, a value written is read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "platform/ini_profiles.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Printable ASCII and complete GBK double-byte characters only, without blanks at either end.
bool IsPlainText(std::string_view text) {
  if (text.empty() || IsBlank(text.front()) || IsBlank(text.back())) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x81 && c <= 0xFE) {
      if (i + 1 == text.size()) return false;
      const auto t = static_cast<unsigned char>(text[++i]);
      if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
    } else if (c < 0x20 || c > 0x7E) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> parts =
      SplitAtZeros(std::string_view(reinterpret_cast<const char*>(data), size), 4);
  const std::string_view content = parts[0];
  const std::string_view section = parts[1];
  const std::string_view key = parts[2];
  const std::string_view value = parts[3];

  (void)morvane::IniGetValue(content, section, key);
  const std::string written = morvane::IniSetValue(content, section, key, value);
  const std::string read = morvane::IniGetValue(written, section, key);

  // A section name that is a plain text without "]", a key without "=" that does not start a
  // section or a comment, and a value that is plain, unquoted and within the read limit.
  const bool plain = IsPlainText(section) && section.find(']') == std::string_view::npos &&
                     IsPlainText(key) && key.find('=') == std::string_view::npos &&
                     key.front() != '[' && key.front() != ';' && IsPlainText(value) &&
                     value.front() != '"' && value.front() != '\'' &&
                     value.size() <= morvane::kProfileValueLimit;
  if (plain && read != value) abort();
  return 0;
}
