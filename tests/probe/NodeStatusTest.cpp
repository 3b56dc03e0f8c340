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

} // namespace
} // namespace nodescout
