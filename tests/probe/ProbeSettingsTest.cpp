#include "probe/ProbeSettings.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

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

} // namespace
} // namespace nodescout
