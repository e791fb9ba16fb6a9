// The profile functions served by an INI reader and writer of our own.
//
// The format, as the Win32 private-profile functions read it:
// - Lines end in LF or CR LF. A line whose first non-blank byte is "[" and that holds a "]" opens
//   a section named by the text between them; text after the "]" is ignored. A GBK double-byte
//   character whose second byte is "]" does not close the name.
// - Inside a section a line "key=value" is a key; the key is the text before the first "=", the
//   value everything after it. A line starting with ";" is a comment, a line without "=" is no key,
//   and lines before the first section belong to none.
// - Blanks (space, tab and the other white space but LF) around section names, keys and values
//   are ignored, in the file and in the names a caller gives.
// - Section names and keys match without regard to ASCII case; double-byte characters compare
//   exactly. The first matching section counts, and within it the first matching key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/profile.h"

namespace morvane {

// The longest value a read gives: the 10240-byte buffer of the profile call, less its NUL.
inline constexpr std::size_t kProfileValueLimit = 10239;

// The key's value without the blanks around it and without one pair of enclosing quotes (both
// ' or both "), cut to its first kProfileValueLimit bytes; empty for a missing section or key.
std::string IniGetValue(std::string_view content, std::string_view section, std::string_view key);

// `content` with the key set to `value`, written unchanged (the empty value gives "key=").
// - An existing key keeps its line: everything up to and including its "=" and the line's ending
//   stay as they are, only the text after the "=" is replaced.
// - A missing key gets the line "key=value" CR LF after the last non-blank line of its section,
//   so blank lines that separate it from the next section stay after it.
// - A missing section is appended as "[section]" CR LF "key=value" CR LF at the end.
// A last line without a line ending gets CR LF before anything is appended after it. Every other
// byte of `content` is kept.
std::string IniSetValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value);

// ProfileFiles over Files: each call reads the whole file and, for a write, writes it back whole.
// The file path goes to Files as it is given. Nothing is cached and nothing is reported.
class IniProfileFiles : public ProfileFiles {
 public:
  explicit IniProfileFiles(Files& files) : files_(files) {}

  // A missing file is created. A file that exists but cannot be read is left alone rather than
  // replaced, and a failed write keeps the old file.
  void WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                          std::string_view file) override;
  std::string GetProfileString(std::string_view section, std::string_view key,
                               std::string_view file) override;

 private:
  Files& files_;
};

}  // namespace morvane
