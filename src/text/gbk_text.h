// Byte-text helpers for GBK (code page 936) strings.
//
// A byte of 0x80 or more starts a double-byte character together with the byte after it; a
// search, split or replace never starts a match on such a second byte. Positions are 1-based
// byte positions, and a search that finds nothing gives -1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Byte length of the character that starts at `index` (0-based): 2 for a lead byte that has a
// byte after it, otherwise 1; 0 at or past the end of the text.
std::size_t CharLengthAt(std::string_view text, std::size_t index);

// 1-based position of the first occurrence of `pattern` that starts at a character boundary at
// or after byte position `start`; a start of 1 or less searches from the beginning, a start past
// the end finds nothing. An empty pattern finds nothing. With `ignore_case`, ASCII letters compare
// without regard to case; all other bytes compare exactly.
int FindText(std::string_view text, std::string_view pattern, int start = 1,
             bool ignore_case = false);

// True when the texts are equal with ASCII letters compared without regard to case; the bytes of a
// double-byte character compare exactly.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// 1-based position of the last occurrence of `pattern` that starts at a character boundary, or -1.
int FindLastText(std::string_view text, std::string_view pattern, bool ignore_case = false);

// `n` bytes from 1-based position `pos`, cut at the end of the text; empty when pos lies outside
// the text or n is not positive.
std::string_view MiddleText(std::string_view text, int pos, int n);

// Every occurrence of `from` replaced by `to`, scanning left to right without overlap.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// The pieces between the occurrences of `separator`, empty pieces included: "a||b" gives
// {"a", "", "b"}, "a|" gives {"a", ""}, the empty text gives {""}. An empty separator gives the
// whole text as one piece.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

// The full-width forms of ASCII characters read as their ASCII forms: A3A1..A3FE become 21..7E,
// the ideographic space A1A1 a blank, A1AB "~", A1EE and A1EF "*". Every other byte passes
// unchanged; a lead byte at the very end ends the text.
std::string NormaliseFullWidth(std::string_view text);

}  // namespace morvane
