#include "platform/ini_profiles.h"

#include <optional>

#include "text/gbk_text.h"

namespace morvane {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Code page 936 lead bytes; the byte after one belongs to the same character.
bool IsLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

std::string_view Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// One line of the content: [begin, end) is its text without the LF or CR LF that ends it, and
// next is where the following line starts.
struct Line {
  std::size_t begin;
  std::size_t end;
  std::size_t next;
};

Line LineAt(std::string_view content, std::size_t begin) {
  const std::size_t lf = content.find('\n', begin);
  Line line{begin, lf == std::string_view::npos ? content.size() : lf,
            lf == std::string_view::npos ? content.size() : lf + 1};
  if (line.end > line.begin && content[line.end - 1] == '\r') --line.end;
  return line;
}

enum class LineKind { kOther, kBlank, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;     // section name or key, trimmed
  std::string_view value;    // key value, trimmed
  std::size_t value_at = 0;  // offset in the line just past the key's "="
};

ParsedLine ParseLine(std::string_view line) {
  ParsedLine parsed;
  const std::string_view text = Trim(line);
  if (text.empty()) {
    parsed.kind = LineKind::kBlank;
    return parsed;
  }
  if (text.front() == ';') return parsed;
  if (text.front() == '[') {
    std::size_t i = 1;
    while (i < text.size() && text[i] != ']') i += IsLeadByte(text[i]) ? 2 : 1;
    if (i < text.size()) {
      parsed.kind = LineKind::kSection;
      parsed.name = Trim(text.substr(1, i - 1));
      return parsed;
    }
  }
  // "=" (0x3D) is never the second byte of a double-byte character, so a plain search will do.
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = Trim(line.substr(0, equals));
  parsed.value = Trim(line.substr(equals + 1));
  parsed.value_at = equals + 1;
  return parsed;
}

// Ends the text with a line break unless it is empty or already ends with one.
void EndLine(std::string& text) {
  if (text.empty() || text.back() == '\n') return;
  if (text.back() == '\r') {
    text += '\n';
  } else {
    text += kLineBreak;
  }
}

void AppendKeyLine(std::string& out, std::string_view key, std::string_view value) {
  out += key;
  out += '=';
  out += value;
  out += kLineBreak;
}

}  // namespace

std::string IniGetValue(std::string_view content, std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  bool in_section = false;
  std::size_t pos = 0;
  while (pos < content.size()) {
    const Line line = LineAt(content, pos);
    pos = line.next;
    const ParsedLine parsed = ParseLine(content.substr(line.begin, line.end - line.begin));
    if (parsed.kind == LineKind::kSection) {
      if (in_section) break;  // only the first matching section counts
      in_section = SameTextIgnoringCase(parsed.name, section);
    } else if (in_section && parsed.kind == LineKind::kKey &&
               SameTextIgnoringCase(parsed.name, key)) {
      std::string_view value = parsed.value;
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      return std::string(value.substr(0, kProfileValueLimit));
    }
  }
  return {};
}

std::string IniSetValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  bool in_section = false;
  bool found_section = false;
  std::size_t insert_at = 0;  // just past the last non-blank line of the matching section
  std::size_t pos = 0;
  while (pos < content.size()) {
    const Line line = LineAt(content, pos);
    pos = line.next;
    const ParsedLine parsed = ParseLine(content.substr(line.begin, line.end - line.begin));
    if (parsed.kind == LineKind::kSection) {
      if (in_section) break;
      if (SameTextIgnoringCase(parsed.name, section)) {
        in_section = true;
        found_section = true;
        insert_at = line.next;
      }
    } else if (in_section) {
      if (parsed.kind == LineKind::kKey && SameTextIgnoringCase(parsed.name, key)) {
        const std::size_t value_begin = line.begin + parsed.value_at;
        std::string out;
        out.reserve(content.size() - (line.end - value_begin) + value.size());
        out += content.substr(0, value_begin);
        out += value;
        out += content.substr(line.end);
        return out;
      }
      if (parsed.kind != LineKind::kBlank) insert_at = line.next;
    }
  }

  std::string out;
  if (found_section) {
    const std::string_view rest = content.substr(insert_at);
    out.reserve(content.size() + key.size() + value.size() + 5);
    out += content.substr(0, insert_at);
    EndLine(out);
    AppendKeyLine(out, key, value);
    out += rest;
  } else {
    out.reserve(content.size() + section.size() + key.size() + value.size() + 9);
    out += content;
    EndLine(out);
    out += '[';
    out += section;
    out += ']';
    out += kLineBreak;
    AppendKeyLine(out, key, value);
  }
  return out;
}

void IniProfileFiles::WriteProfileString(std::string_view section, std::string_view key,
                                         std::string_view value, std::string_view file) {
  std::optional<std::string> content = files_.ReadFile(file);
  if (!content) {
    // Something is there that cannot be read: writing would replace it.
    if (files_.Exists(file)) return;
    content.emplace();
  }
  files_.WriteFile(file, IniSetValue(*content, section, key, value));
}

std::string IniProfileFiles::GetProfileString(std::string_view section, std::string_view key,
                                              std::string_view file) {
  const std::optional<std::string> content = files_.ReadFile(file);
  if (!content) return {};
  return IniGetValue(*content, section, key);
}

}  // namespace morvane
