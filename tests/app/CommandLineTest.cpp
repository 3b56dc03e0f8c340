// The command line of the real program, run without a display. Only forms
// that send nothing run here; sending is tested inside a private network.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string errors; // or the standard output, when asked for
};

// Runs the program with the arguments (a shell word list) and no display;
// captures its standard error, or its standard output (and no error).
Outcome RunProgram(const std::string& arguments, bool bCaptureOutput = false) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " NODESCOUT_PROGRAM " " +
                                arguments + (bCaptureOutput ? " 2>/dev/null" : " 2>&1 >/dev/null");
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return outcome;
    }
    std::array<char, 256> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) {
        outcome.errors += chunk.data();
    }
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(CommandLine, UnrecognisedLinesFailWithOneLineAndTheUsage) {
    for (const char* arguments :
         {"-W 001122aabbcc", "--help x", "-help", "--version 1", "word", "'-w'x"}) {
        const Outcome outcome = RunProgram(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments;
        EXPECT_NE(outcome.errors.find("unrecognised command line"), std::string::npos) << arguments;
        EXPECT_NE(outcome.errors.find("usage: nodescout [-w MAC [ADDRESS]]"), std::string::npos);
        EXPECT_EQ(std::count(outcome.errors.begin(), outcome.errors.end(), '\n'), 1)
            << outcome.errors;
    }
}

TEST(CommandLine, HelpAndVersionGoToStandardOutputWithStatusZero) {
    for (const char* arguments : {"--help", "-h"}) {
        const Outcome outcome = RunProgram(arguments, true);
        EXPECT_EQ(outcome.status, 0) << arguments;
        EXPECT_TRUE(outcome.errors.starts_with("usage: nodescout [-w MAC [ADDRESS]]\n"))
            << outcome.errors;
        EXPECT_NE(outcome.errors.find("--version"), std::string::npos);
        EXPECT_TRUE(RunProgram(arguments).errors.empty()) << "nothing on standard error";
    }
    const Outcome version = RunProgram("--version", true);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.errors, "nodescout " NODESCOUT_VERSION "\n");
}

TEST(CommandLine, RefusedMacTextsSendNothingAndSaySo) {
    // `-w` alone, an empty MAC (two blanks), separators, wrong length,
    // upper case without a digit of the lower-case set.
    for (const char* arguments : {"-w", "-w '' 001122aabbcc", "-w 00-11-22-aa-bb-cc",
                                  "-w 001122aabbc", "-w AABBCCDDEEFF 198.18.0.1"}) {
        const Outcome outcome = RunProgram(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments;
        EXPECT_NE(outcome.errors.find("is no MAC address"), std::string::npos) << outcome.errors;
    }
}

} // namespace
