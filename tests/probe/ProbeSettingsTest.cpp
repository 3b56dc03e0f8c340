#include "probe/ProbeSettings.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace nodescout {
namespace {

// Each case is the [Profile] section of a settings file and the wait it
// gives: TimeOutMilliseconds when it is a usable number, TimeOutMicroseconds
// (seconds in its thousands) otherwise.
TEST(ReadProbeWait, TakesUsableMillisecondsElseTheMicrosecondsKey) {
    struct Case {
        const char* profile;
        long seconds;
        long microseconds;
    };
    const Case cases[] = {
        {"", 0, 500},
        {"TimeOutMicroseconds=2500\n", 2, 500},
        {"TimeOutMilliseconds=0\n", 0, 0},
        {"TimeOutMilliseconds=250\nTimeOutMicroseconds=2500\n", 0, 250000},
        {"TimeOutMilliseconds=1500\n", 1, 500000},
        {"TimeOutMilliseconds= 60000 \n", 60, 0},
        {"TimeOutMilliseconds=000000000007\n", 0, 7000},
        {"TimeOutMilliseconds=00000000000007\n", 0, 7000},
        {"TimeOutMilliseconds=000000000000007\nTimeOutMicroseconds=999\n", 0, 999},
        // Unusable: as if absent.
        {"TimeOutMilliseconds=60001\nTimeOutMicroseconds=2500\n", 2, 500},
        {"TimeOutMilliseconds=-5\n", 0, 500},
        {"TimeOutMilliseconds=+5\n", 0, 500},
        {"TimeOutMilliseconds=soon\n", 0, 500},
        {"TimeOutMilliseconds=20ms\n", 0, 500},
        {"TimeOutMilliseconds=0x10\n", 0, 500},
        {"TimeOutMilliseconds=\n", 0, 500},
        {"TimeOutMilliseconds=99999999999999999999\n", 0, 500},
        // Cut to fit the value buffer, it would read as 0.
        {"TimeOutMilliseconds=0000000000000000000000005\nTimeOutMicroseconds=999\n", 0, 999},
        // TimeOutMicroseconds read as a number of the settings file.
        {"TimeOutMilliseconds=x\nTimeOutMicroseconds=\n", 0, 500},
        {"TimeOutMicroseconds=\"1200\"\n", 1, 200},
        {"TimeOutMicroseconds=0x10\n", 0, 16},
        {"TimeOutMicroseconds=12abc\n", 0, 12},
        {"TimeOutMicroseconds=soon\n", 0, 0},
        {"TimeOutMicroseconds=-5\n", 0, 0},
        {"TimeOutMicroseconds=00000000000000000000000000000700\n", 0, 0},
    };
    const test::TempDir folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        const std::string path = folder.Write("Scout.ini", std::string("[Profile]\n") + c.profile);
        const timeval wait = ReadProbeWait(path.c_str());
        EXPECT_EQ(wait.tv_sec, c.seconds);
        EXPECT_EQ(wait.tv_usec, c.microseconds);
    }
}

TEST(ReadParallelProbes, TakesWholeNumbersUpTo1024AndOneForAnythingElse) {
    const std::pair<const char*, int> cases[] = {
        {"", 1},
        {"ParallelProbes=0\n", 0},
        {"ParallelProbes=1\n", 1},
        {"ParallelProbes= 256 \n", 256},
        {"ParallelProbes=1024\n", 1024},
        {"ParallelProbes=1025\n", 1024},
        {"ParallelProbes=99999999999999999999999\n", 1024},
        {"ParallelProbes=-4\n", 1},
        {"ParallelProbes=+4\n", 1},
        {"ParallelProbes=4x\n", 1},
        {"ParallelProbes=\n", 1},
        {"ParallelProbes=000000000000000000000000000000000000000000000000000000000000000000016\n",
         1},
    };
    const test::TempDir folder;
    for (const auto& [profile, expected] : cases) {
        const std::string path = folder.Write("Scout.ini", std::string("[Profile]\n") + profile);
        EXPECT_EQ(ReadParallelProbes(path.c_str()), expected) << profile;
    }
}

} // namespace
} // namespace nodescout
