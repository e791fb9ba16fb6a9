// Splitting one fuzzer input into the several texts a target needs.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// The pieces between the first zero bytes; missing pieces are empty.
inline std::vector<std::string_view> SplitAtZeros(std::string_view input, std::size_t pieces) {
  std::vector<std::string_view> out;
  while (out.size() + 1 < pieces) {
    const std::size_t zero = input.find('\0');
    if (zero == std::string_view::npos) break;
    out.push_back(input.substr(0, zero));
    input.remove_prefix(zero + 1);
  }
  out.push_back(input);
  out.resize(pieces);
  return out;
}
