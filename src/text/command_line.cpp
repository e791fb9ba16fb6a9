#include "text/command_line.h"

#include "text/gbk_text.h"

namespace morvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i == line.size()) return args;

  // The program name: no backslash rules, a quote only groups.
  std::string program;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (IsBlank(c) && !quoted) {
      break;
    } else {
      program += c;
    }
  }
  args.push_back(std::move(program));

  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return args;
    std::string arg;
    quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      const char c = line[i];
      if (c == '\\') {
        std::size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
        if (i < line.size() && line[i] == '"') {
          arg.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(backslashes, '\\');
        }
      } else if (c == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        // A double-byte character passes whole: its second byte may be 0x5C, which is then no
        // backslash and escapes nothing.
        const std::size_t length = CharLengthAt(line, i);
        arg.append(line.substr(i, length));
        i += length;
      }
    }
    args.push_back(std::move(arg));
  }
}

}  // namespace morvane
