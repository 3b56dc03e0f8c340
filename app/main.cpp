// Nodescout's entry point. The command line is looked at before anything
// else, so `nodescout -w ...` needs no display.

#include "app/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::string commandLine = nodescout::JoinCommandLine(argc, argv);
    if (!commandLine.empty()) {
        return nodescout::RunCommandLine(commandLine, std::cerr);
    }
    return 0;
}
