#pragma once

// Nodescout's command line, handled before any window exists:
//
//     nodescout                        the main window
//     nodescout -w MAC                 a Wake-on-LAN packet to 255.255.255.255
//     nodescout -w MAC ADDRESS [...]   the packet to ADDRESS
//     nodescout --help | -h            the usage, on standard output
//     nodescout --version              the name and version, on standard output
//
// The words are joined with single blanks and split again at every blank,
// so an empty word ("") counts as it always has: `-w "" MAC` sends to MAC
// as the address with an empty MAC text, which is refused.

#include "platform/process/CommandLineText.h" // JoinCommandLine

#include <iosfwd>
#include <string>

namespace nodescout {

// When the command line is exactly "--help", "-h" or "--version", writes
// the usage or "nodescout VERSION" to output and returns true (the program
// then ends with status 0); otherwise writes nothing and returns false.
bool AnswerInformationRequest(const std::string& commandLine, std::ostream& output);

// Carries out a non-empty command line; the exit status of the program.
// 0 when a packet went out; otherwise one line on errors (what was wrong,
// then the usage) and a non-zero status.
int RunCommandLine(const std::string& commandLine, std::ostream& errors);

} // namespace nodescout
