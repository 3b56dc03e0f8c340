// PunctualPoll sleeps less than it is asked to and polls for the rest: what
// must hold is that a wait that runs out never ends early, however much the
// thread has learnt about its lateness, and that a descriptor turning ready
// ends the wait in either part.

#include "platform/process/PunctualPoll.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <thread>

namespace nodescout {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class PunctualPollTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe(m_pipe), 0); }
    void TearDown() override {
        close(m_pipe[0]);
        close(m_pipe[1]);
    }
    int Poll(std::chrono::nanoseconds wait) {
        pollfd watched{m_pipe[0], POLLIN, 0};
        const int ready = PunctualPoll(&watched, 1, wait);
        m_revents = watched.revents;
        return ready;
    }
    void MakeReadable() { ASSERT_EQ(write(m_pipe[1], "x", 1), 1); }

    int m_pipe[2] = {-1, -1};
    short m_revents = 0;
};

TEST_F(PunctualPollTest, AWaitThatRunsOutNeverEndsEarly) {
    // Enough waits for the thread to have learnt its lateness, of lengths
    // shorter and longer than the most a sleep is cut short by.
    for (const auto wait : {300us, 20us, 1000us, 0us}) {
        for (int i = 0; i < 40; ++i) {
            const Clock::time_point start = Clock::now();
            ASSERT_EQ(Poll(wait), 0);
            ASSERT_GE(Clock::now() - start, wait) << wait.count() << " us, wait " << i;
        }
    }
}

TEST_F(PunctualPollTest, AReadyDescriptorEndsTheWait) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(Poll(100us), 0); // what the thread learns must not matter
    }
    MakeReadable();
    EXPECT_EQ(Poll(0us), 1) << "a wait of 0 still polls";
    EXPECT_EQ(m_revents, POLLIN);
    EXPECT_EQ(Poll(60s), 1);

    char byte = 0;
    ASSERT_EQ(read(m_pipe[0], &byte, 1), 1);
    std::thread writer([this] {
        std::this_thread::sleep_for(2ms);
        MakeReadable();
    });
    EXPECT_EQ(Poll(60s), 1) << "readable during the wait";
    writer.join();
    EXPECT_EQ(m_revents, POLLIN);

    EXPECT_EQ(PunctualPoll(nullptr, 1, 1ms), -1) << "a failing ppoll fails the wait";
}

} // namespace
} // namespace nodescout
