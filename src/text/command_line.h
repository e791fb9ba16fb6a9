// Splitting a Windows command line into its arguments, as the C runtime and CommandLineToArgvW
// read it, so that a program started on another system gets the same arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// The first argument is the program: up to the next quote when it starts with one, otherwise up
// to the first blank or tab, taken literally. Later arguments are separated by blanks and tabs;
// quotes group, 2n backslashes before a quote give n backslashes and the quote groups, 2n+1 give
// n backslashes and a literal quote, "" inside quotes gives a literal quote, and other
// backslashes are literal. A byte of 0x80 or more passes unchanged together with the byte after
// it, as one double-byte character.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace morvane
