#include "platform/net/LocalBroadcast.h"

#include <arpa/inet.h>
#include <net/if.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace nodescout {
namespace {

constexpr unsigned int kUp = IFF_UP | IFF_BROADCAST;

LocalInterfaceAddress Interface(unsigned int flags, const char* address, const char* netmask,
                                const char* broadcast) {
    return {flags, inet_addr(address), inet_addr(netmask), inet_addr(broadcast)};
}

std::string Chosen(const char* address, const std::vector<LocalInterfaceAddress>& interfaces) {
    const std::optional<std::uint32_t> chosen =
        ChooseBroadcastAddress(inet_addr(address), interfaces);
    if (!chosen) {
        return "none";
    }
    in_addr value{};
    value.s_addr = *chosen;
    return inet_ntoa(value);
}

TEST(LocalBroadcast, ChoosesTheBroadcastAddressOfTheUpInterfaceWhoseSubnetHoldsTheAddress) {
    const std::vector<LocalInterfaceAddress> twoLans = {
        Interface(kUp, "198.18.0.1", "255.255.255.0", "198.18.0.255"),
        Interface(kUp, "198.19.0.1", "255.255.255.0", "198.19.0.255"),
    };
    EXPECT_EQ(Chosen("198.18.0.10", twoLans), "198.18.0.255");
    EXPECT_EQ(Chosen("198.19.0.77", twoLans), "198.19.0.255");
    EXPECT_EQ(Chosen("198.19.0.1", twoLans), "198.19.0.255") << "the interface's own address";
    EXPECT_EQ(Chosen("198.19.1.77", twoLans), "none") << "on neither subnet";
    EXPECT_EQ(Chosen("198.19.0.77", {}), "none");
}

TEST(LocalBroadcast, SkipsInterfacesWithoutABroadcastAddressAndPrefersTheNarrowestSubnet) {
    EXPECT_EQ(Chosen("198.18.0.10",
                     {Interface(IFF_BROADCAST, "198.18.0.1", "255.255.255.0", "198.18.0.255")}),
              "none")
        << "down";
    EXPECT_EQ(
        Chosen("198.18.0.10", {Interface(IFF_UP, "198.18.0.1", "255.255.255.0", "198.18.0.255")}),
        "none")
        << "no IFF_BROADCAST";
    EXPECT_EQ(Chosen("198.18.0.10", {Interface(kUp, "198.18.0.1", "0.0.0.0", "255.255.255.255")}),
              "none")
        << "the limited broadcast address is sent anyway";
    EXPECT_EQ(
        Chosen("198.18.0.10", {Interface(kUp, "198.18.0.10", "255.255.255.254", "198.18.0.11")}),
        "none")
        << "a /31 has no broadcast address";
    EXPECT_EQ(Chosen("198.18.0.10", {Interface(kUp, "198.18.0.1", "255.255.255.0", "198.18.0.1"),
                                     Interface(kUp, "198.19.0.1", "255.255.0.0", "0.0.0.0")}),
              "198.18.0.255")
        << "added without a broadcast address: the subnet's all-ones address";
    EXPECT_EQ(Chosen("198.19.3.9", {Interface(kUp, "198.19.0.1", "255.255.0.0", "0.0.0.0")}),
              "198.19.255.255");
    const std::vector<LocalInterfaceAddress> nested = {
        Interface(kUp, "198.18.0.1", "255.254.0.0", "198.19.255.255"),
        Interface(kUp, "198.18.3.1", "255.255.255.0", "198.18.3.255"),
        Interface(kUp, "198.18.3.2", "255.255.255.0", "198.18.3.254"),
    };
    EXPECT_EQ(Chosen("198.18.3.9", nested), "198.18.3.255") << "narrowest, first on a tie";
    EXPECT_EQ(Chosen("198.19.3.9", nested), "198.19.255.255");
}

} // namespace
} // namespace nodescout
