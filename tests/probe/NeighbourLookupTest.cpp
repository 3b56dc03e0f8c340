#include "probe/NeighbourLookup.h"

#include "platform/net/Inet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace nodescout {
namespace {

NeighbourRow Row(const char* address, NeighbourType type, std::uint8_t last,
                 std::uint32_t interfaceIndex = 2) {
    NeighbourRow row;
    row.interfaceIndex = interfaceIndex;
    row.address = inet_addr(address);
    const std::uint8_t mac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, last};
    std::copy(std::begin(mac), std::end(mac), row.physicalAddress);
    row.physicalAddressLength = 6;
    row.type = type;
    return row;
}

TEST(NeighbourFallback, OnlyOtherDynamicAndStaticRowsCount) {
    const std::uint32_t address = inet_addr("198.18.0.7");
    MacText mac;
    for (NeighbourType type :
         {NeighbourType::Other, NeighbourType::Dynamic, NeighbourType::Static}) {
        mac.Clear();
        EXPECT_TRUE(FindMacInNeighbourTable({Row("198.18.0.7", type, 0x07)}, address, mac));
        EXPECT_EQ(mac.View(), "020000000007");
    }
    mac.Clear();
    EXPECT_FALSE(
        FindMacInNeighbourTable({Row("198.18.0.7", NeighbourType::Invalid, 0x07)}, address, mac));
    EXPECT_TRUE(mac.IsEmpty());
}

TEST(NeighbourFallback, FirstCountingRowOfTheAddressWins) {
    const std::vector<NeighbourRow> rows = {
        Row("198.18.0.6", NeighbourType::Dynamic, 0x06),
        Row("198.18.0.7", NeighbourType::Invalid, 0x01, 2),
        Row("198.18.0.7", NeighbourType::Static, 0x02, 3),
        Row("198.18.0.7", NeighbourType::Dynamic, 0x03, 4),
    };
    MacText mac;
    EXPECT_TRUE(FindMacInNeighbourTable(rows, inet_addr("198.18.0.7"), mac));
    EXPECT_EQ(mac.View(), "020000000002");
}

TEST(NeighbourFallback, EmptyTableOrNoMatchFindsNothing) {
    MacText mac;
    EXPECT_FALSE(FindMacInNeighbourTable({}, inet_addr("198.18.0.7"), mac));
    EXPECT_FALSE(FindMacInNeighbourTable({Row("198.18.0.8", NeighbourType::Static, 8)},
                                         inet_addr("198.18.0.7"), mac));
    EXPECT_TRUE(mac.IsEmpty());
}

} // namespace
} // namespace nodescout
