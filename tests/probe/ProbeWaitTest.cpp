#include "probe/ProbeWait.h"

#include <gtest/gtest.h>

namespace nodescout {
namespace {

TEST(ProbeWait, SplitsTheSettingIntoSecondsAndMicroseconds) {
    struct Case {
        int setting;
        long seconds;
        long microseconds;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{500, 0, 500}, Case{999, 0, 999}, Case{1000, 1, 0},
                          Case{2500, 2, 500}, Case{-7, 0, 0}}) {
        const timeval wait = ProbeWait(c.setting);
        EXPECT_EQ(wait.tv_sec, c.seconds) << c.setting;
        EXPECT_EQ(wait.tv_usec, c.microseconds) << c.setting;
    }
}

} // namespace
} // namespace nodescout
