#include "platform/encoding.h"

namespace morvane {

std::optional<std::string> GbkToUtf8(Encoding& encoding, std::string_view gbk) {
  return encoding.Convert("GBK", "UTF-8", gbk);
}

std::optional<std::string> Utf8ToGbk(Encoding& encoding, std::string_view utf8) {
  return encoding.Convert("UTF-8", "GBK", utf8);
}

}  // namespace morvane
