// `nodescout -w` from end to end: the real program, run inside a private
// network, sends the magic packet that a socket there receives byte for
// byte, to the limited broadcast address or to the address given.

#include "tests/support/NetLab.h"
#include "tests/support/WakeOnLanCatcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nodescout::test {
namespace {

TEST(WakeOnLanProgram, SendsTheMagicPacketToTheBroadcastAddressOrToTheAddressGiven) {
    NODESCOUT_SKIP_WITHOUT_NETLAB();
    NetLab lab;
    lab.AddHost("198.18.0.10", "02:4e:53:00:00:10"); // gives the bridge a link
    lab.RouteLimitedBroadcast();

    WakeOnLanCatcher receiver(lab.ClientNamespace());

    const std::vector<std::uint8_t> expected = MagicPacketFor({0x00, 0x11, 0x22, 0xaa, 0xbb, 0xcc});
    ASSERT_EQ(expected.size(), 102u);
    const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
        {{"-w", "001122aabbcc"}, "255.255.255.255"},
        {{"-w", "001122aabbcc", "198.18.0.255"}, "198.18.0.255"},
    };
    for (const auto& [arguments, destination] : runs) {
        std::vector<std::string> command = {"ip", "netns", "exec", lab.ClientNamespace(),
                                            NODESCOUT_PROGRAM};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const CommandResult run = RunCommand(command);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output, "");

        const CaughtDatagram datagram = receiver.Next();
        EXPECT_EQ(datagram.bytes, expected) << destination;
        EXPECT_EQ(datagram.destination, destination);
    }
    EXPECT_TRUE(receiver.Next(timeval{0, 200000}).bytes.empty()) << "one packet per run";
}

} // namespace
} // namespace nodescout::test
