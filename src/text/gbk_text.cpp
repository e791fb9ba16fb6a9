#include "text/gbk_text.h"

#include <cstddef>

namespace morvane {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

char FoldAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Whether `pattern` stands in `text` at `pos`, which must be a character boundary. Under
// `ignore_case` only single-byte characters of the text fold: the second byte of a double-byte
// character may look like a letter but is compared exactly.
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view pattern, bool ignore_case) {
  if (pattern.size() > text.size() - pos) return false;
  if (!ignore_case) return text.compare(pos, pattern.size(), pattern) == 0;
  bool trail = false;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    const char t = text[pos + k];
    const char p = pattern[k];
    if (trail) {
      if (t != p) return false;
      trail = false;
    } else if (IsLeadByte(t)) {
      if (t != p) return false;
      trail = true;
    } else if (FoldAsciiLetter(t) != FoldAsciiLetter(p)) {
      return false;
    }
  }
  return true;
}

// 0-based position of the first match at a character boundary at or after `min_pos`, walking
// the boundaries from `scan`, which must itself be a boundary; kNone when there is none.
std::size_t FindFromBoundary(std::string_view text, std::string_view pattern, std::size_t scan,
                             std::size_t min_pos, bool ignore_case) {
  if (pattern.empty()) return kNone;
  for (std::size_t i = scan; i < text.size(); i += CharLengthAt(text, i)) {
    if (i >= min_pos && MatchesAt(text, i, pattern, ignore_case)) return i;
  }
  return kNone;
}

}  // namespace

std::size_t CharLengthAt(std::string_view text, std::size_t index) {
  if (index >= text.size()) return 0;
  return (IsLeadByte(text[index]) && index + 1 < text.size()) ? 2 : 1;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && MatchesAt(a, 0, b, true);
}

int FindText(std::string_view text, std::string_view pattern, int start, bool ignore_case) {
  const std::size_t min_pos = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (min_pos >= text.size()) return -1;
  const std::size_t found = FindFromBoundary(text, pattern, 0, min_pos, ignore_case);
  return found == kNone ? -1 : static_cast<int>(found) + 1;
}

int FindLastText(std::string_view text, std::string_view pattern, bool ignore_case) {
  int last = -1;
  if (pattern.empty()) return last;
  for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
    if (MatchesAt(text, i, pattern, ignore_case)) last = static_cast<int>(i) + 1;
  }
  return last;
}

std::string_view MiddleText(std::string_view text, int pos, int n) {
  if (pos < 1 || n <= 0 || static_cast<std::size_t>(pos) > text.size()) return {};
  return text.substr(static_cast<std::size_t>(pos) - 1, static_cast<std::size_t>(n));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string result;
  std::size_t copied = 0;  // text[0, copied) is already in the result
  std::size_t scan = 0;    // a character boundary at or before `copied`
  for (;;) {
    const std::size_t found = FindFromBoundary(text, from, scan, copied, false);
    if (found == kNone) break;
    result.append(text, copied, found - copied);
    result.append(to);
    copied = found + from.size();
    scan = found;
  }
  result.append(text, copied);
  return result;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t piece_start = 0;
  std::size_t scan = 0;
  for (;;) {
    const std::size_t found = FindFromBoundary(text, separator, scan, piece_start, false);
    if (found == kNone) break;
    pieces.emplace_back(text.substr(piece_start, found - piece_start));
    piece_start = found + separator.size();
    scan = found;
  }
  pieces.emplace_back(text.substr(piece_start));
  return pieces;
}

std::string NormaliseFullWidth(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      result.push_back(text[i]);
      continue;
    }
    if (i + 1 >= text.size()) break;
    const auto trail = static_cast<unsigned char>(text[++i]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      result.push_back(static_cast<char>(trail - 0x80));
    } else if (lead == 0xA1 && trail == 0xA1) {
      result.push_back(' ');
    } else if (lead == 0xA1 && trail == 0xAB) {
      result.push_back('~');
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      result.push_back('*');
    } else {
      result.push_back(static_cast<char>(lead));
      result.push_back(static_cast<char>(trail));
    }
  }
  return result;
}

}  // namespace morvane
