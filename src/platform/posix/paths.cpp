#include "platform/posix/paths.h"

#include <algorithm>

namespace morvane {

// The separators are swapped on the UTF-8 side: there no byte of a multi-byte character can be
// 0x5C or 0x2F, while in GBK 0x5C is also a second byte of double-byte characters.

std::optional<std::string> ToHostPath(Encoding& encoding, std::string_view gbk_path) {
  std::optional<std::string> utf8 = GbkToUtf8(encoding, gbk_path);
  if (utf8) std::replace(utf8->begin(), utf8->end(), '\\', '/');
  return utf8;
}

std::optional<std::string> FromHostPath(Encoding& encoding, std::string_view host_path) {
  std::string utf8(host_path);
  std::replace(utf8.begin(), utf8.end(), '/', '\\');
  return Utf8ToGbk(encoding, utf8);
}

}  // namespace morvane
