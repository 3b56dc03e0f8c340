#include "probe/NodeStatus.h"

#include "platform/net/Inet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nodescout {
namespace {

// A node-status answer as a host sends it: 56 bytes of header, question
// name and record fields, the name count, the name entries, then the
// adapter address.
std::vector<std::uint8_t> Answer(const std::vector<std::string>& names,
                                 const std::vector<std::uint8_t>& adapter) {
    std::vector<std::uint8_t> datagram(56, 0x00);
    datagram.push_back(static_cast<std::uint8_t>(names.size()));
    for (const std::string& name : names) {
        std::string entry = name;
        entry.resize(15, ' ');
        datagram.insert(datagram.end(), entry.begin(), entry.end());
        datagram.insert(datagram.end(), {0x20, 0x04, 0x00}); // suffix and flags
    }
    datagram.insert(datagram.end(), adapter.begin(), adapter.end());
    return datagram;
}

const std::vector<std::uint8_t> kAdapter = {0x00, 0xa0, 0xc9, 0x12, 0x34, 0x56};

TEST(NodeStatusRequest, IsTheFixedWildcardQuery) {
    const auto& request = NodeStatusRequest();
    const std::string expected =
        std::string("\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00", 12) +
        "\x20"
        "CK" +
        std::string(30, 'A') + std::string("\x00\x00\x21\x00\x01", 5);
    ASSERT_EQ(expected.size(), 50u);
    EXPECT_EQ(std::string(request.begin(), request.end()), expected);
}

TEST(NodeStatusAnswer, TakesTheFirstNameTrimmedAndTheAdapterAfterAllNames) {
    const NodeStatusAnswer answer =
        ReadNodeStatusAnswer(Answer({"FILESERVER12", "WORKGROUP"}, kAdapter));
    EXPECT_EQ(answer.computerName.View(), "FILESERVER12");
    EXPECT_EQ(answer.macText.View(), "00a0c9123456");
    EXPECT_FALSE(answer.adapterAddressIsZero);
}

TEST(NodeStatusAnswer, NameEdgeCases) {
    EXPECT_EQ(ReadNodeStatusAnswer(Answer({"               "}, kAdapter)).computerName.View(), "");
    EXPECT_EQ(ReadNodeStatusAnswer(Answer({"ABCDEFGHIJKLMNO"}, kAdapter)).computerName.View(),
              "ABCDEFGHIJKLMNO");
    EXPECT_EQ(ReadNodeStatusAnswer(Answer({"  MY PC"}, kAdapter)).computerName.View(), "MY PC");

    // A zero byte ends the name early.
    std::vector<std::uint8_t> datagram = Answer({"HOSTNAME"}, kAdapter);
    datagram[57 + 4] = 0x00;
    EXPECT_EQ(ReadNodeStatusAnswer(datagram).computerName.View(), "HOST");
}

TEST(NodeStatusAnswer, NoNamesGivesTheAdapterAtOffset57AndNoName) {
    const NodeStatusAnswer answer = ReadNodeStatusAnswer(Answer({}, kAdapter));
    EXPECT_EQ(answer.macText.View(), "00a0c9123456");
    EXPECT_TRUE(answer.computerName.IsEmpty());
}

TEST(NodeStatusAnswer, BytesBeyondTheDatagramReadAsZero) {
    const std::vector<std::uint8_t> tiny = {0x12, 0x34};
    const NodeStatusAnswer answer = ReadNodeStatusAnswer(tiny);
    EXPECT_EQ(answer.macText.View(), "000000000000");
    EXPECT_TRUE(answer.adapterAddressIsZero);
    EXPECT_TRUE(answer.computerName.IsEmpty());

    // An adapter address cut off after three bytes.
    std::vector<std::uint8_t> cut = Answer({}, kAdapter);
    cut.resize(60);
    EXPECT_EQ(ReadNodeStatusAnswer(cut).macText.View(), "00a0c9000000");
}

TEST(NodeStatusAnswer, ZeroAdapterAddressIsFlagged) {
    const NodeStatusAnswer answer = ReadNodeStatusAnswer(Answer({"SAMBA"}, {0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(answer.adapterAddressIsZero);
    EXPECT_EQ(answer.macText.View(), "000000000000");
    EXPECT_EQ(answer.computerName.View(), "SAMBA");
}

TEST(NodeStatusAnswer, NameCountBeyondTheBufferNeverReadsPastIt) {
    // 255 names put the adapter address at 4647, past the 4096 bytes a
    // probe receives. The datagram here is longer than that buffer on
    // purpose: bytes past 4096 must not count.
    std::vector<std::uint8_t> datagram = Answer(std::vector<std::string>(255, "HOST"), kAdapter);
    ASSERT_GT(datagram.size(), kNodeStatusAnswerCapacity);
    const NodeStatusAnswer answer = ReadNodeStatusAnswer(datagram);
    EXPECT_EQ(answer.macText.View(), "000000000000");
    EXPECT_TRUE(answer.adapterAddressIsZero);
    EXPECT_EQ(answer.computerName.View(), "HOST");

    // 225 names: the adapter address starts at 4107, also beyond the buffer.
    datagram = Answer(std::vector<std::string>(225, "HOST"), kAdapter);
    datagram.resize(kNodeStatusAnswerCapacity);
    EXPECT_TRUE(ReadNodeStatusAnswer(datagram).adapterAddressIsZero);
}

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
