// Character-set conversion between named encodings ("GBK", "UTF-8", "UTF-16LE").
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

class Encoding {
 public:
  virtual ~Encoding() = default;
  // Converts the whole input or fails: invalid input, or a character without a form in the
  // target encoding, gives nullopt. Nothing is skipped or replaced.
  virtual std::optional<std::string> Convert(std::string_view from, std::string_view to,
                                             std::string_view bytes) = 0;
};

std::unique_ptr<Encoding> MakeSystemEncoding();

// GBK <-> UTF-8 at the edges, through `encoding`.
std::optional<std::string> GbkToUtf8(Encoding& encoding, std::string_view gbk);
std::optional<std::string> Utf8ToGbk(Encoding& encoding, std::string_view utf8);

}  // namespace morvane
