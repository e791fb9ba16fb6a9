// Paths at the edge between the core and the POSIX system: the core names files in GBK with
// backslashes, the system in UTF-8 with "/".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/encoding.h"

namespace morvane {

// The host form of a core path: GBK becomes UTF-8 and every backslash a "/", so "\home\u\x" is
// "/home/u/x" and a relative path stays relative. nullopt when the path is no GBK text. There are
// no drive letters here: "D:\x" becomes the relative "D:/x".
std::optional<std::string> ToHostPath(Encoding& encoding, std::string_view gbk_path);

// The core form of a host path: UTF-8 becomes GBK and every "/" a backslash. nullopt when the
// path is no UTF-8 text or has a character without a GBK form.
std::optional<std::string> FromHostPath(Encoding& encoding, std::string_view host_path);

}  // namespace morvane
