#include "platform/host_files.h"

#include <fstream>
#include <system_error>

namespace morvane {
namespace {

// Byte length of the UTF-8 character that starts with `lead` (1 for stray bytes).
std::size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameCharacter(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view CharacterAt(std::string_view text, std::size_t i) {
  return text.substr(i, Utf8Length(static_cast<unsigned char>(text[i])));
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // Greedy matching with one backtrack point: the position after the last "*".
  std::size_t p = 0, n = 0;
  std::size_t star = std::string_view::npos, star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = ++p;
      star_name = n;
      continue;
    }
    const std::string_view nc = CharacterAt(name, n);
    if (p < pattern.size()) {
      const std::string_view pc = CharacterAt(pattern, p);
      if (pc == "?" || SameCharacter(pc, nc)) {
        p += pc.size();
        n += nc.size();
        continue;
      }
    }
    if (star == std::string_view::npos) return false;
    p = star;
    star_name += CharacterAt(name, star_name).size();
    n = star_name;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool HostEntryExists(const std::filesystem::path& path) {
  std::error_code ec;
  const std::string leaf = path.filename().string();
  if (leaf.find_first_of("*?") == std::string::npos) {
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
  }
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (WildcardMatch(leaf, it->path().filename().string())) return true;
  }
  return false;
}

std::optional<std::string> ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteHostFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                             const std::function<void()>& before_rename) {
  std::filesystem::path temporary = path;
  temporary += ".tmp~";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  if (before_rename) before_rename();
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace morvane
