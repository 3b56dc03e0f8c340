#pragma once

// The command line as one text, the way the classic programs got it.

#include <string>

namespace nodescout {

// The text after the program name: argv[1] .. argv[argc - 1] joined by
// single blanks; "" for argc below 2. The words are not quoted, so an empty
// word leaves two blanks in a row.
std::string JoinCommandLine(int argc, const char* const* argv);

} // namespace nodescout
