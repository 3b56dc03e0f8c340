#include "platform/net/NeighbourDump.h"

#include <arpa/inet.h>
#include <linux/neighbour.h>
#include <linux/netconf.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace nodescout {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kSequence = 0x5eed;
constexpr std::uint32_t kPort = 4242;

void Pad(Bytes& bytes) {
    while (bytes.size() % 4 != 0) {
        bytes.push_back(0);
    }
}

// resize and memcpy rather than insert: GCC 12 warns wrongly about insert
// into an empty vector of bytes.
void Append(Bytes& bytes, const void* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    const std::size_t end = bytes.size();
    bytes.resize(end + size);
    std::memcpy(bytes.data() + end, data, size);
}

template <typename T>
void Append(Bytes& bytes, const T& value) {
    Append(bytes, &value, sizeof value);
}

Bytes Attribute(std::uint16_t type, const Bytes& value) {
    rtattr header{};
    header.rta_len = static_cast<std::uint16_t>(sizeof header + value.size());
    header.rta_type = type;
    Bytes bytes;
    Append(bytes, header);
    Append(bytes, value.data(), value.size());
    Pad(bytes);
    return bytes;
}

Bytes Ipv4(const char* dotted) {
    const std::uint32_t address = inet_addr(dotted);
    Bytes bytes;
    Append(bytes, address);
    return bytes;
}

// An ndmsg followed by the given attributes.
Bytes Neighbour(int interfaceIndex, std::uint16_t state, std::initializer_list<Bytes> attributes,
                std::uint8_t family = AF_INET) {
    ndmsg header{};
    header.ndm_family = family;
    header.ndm_ifindex = interfaceIndex;
    header.ndm_state = state;
    Bytes bytes;
    Append(bytes, header);
    for (const Bytes& attribute : attributes) {
        Append(bytes, attribute.data(), attribute.size());
    }
    return bytes;
}

Bytes Entry(int interfaceIndex, const char* address, std::uint16_t state, const Bytes& lladdr) {
    return Neighbour(interfaceIndex, state,
                     {Attribute(NDA_DST, Ipv4(address)), Attribute(NDA_LLADDR, lladdr)});
}

Bytes Code(int code) {
    Bytes bytes;
    Append(bytes, code);
    return bytes;
}

// Netlink messages appended one after another, as the kernel packs them into
// one datagram.
struct Datagram {
    Bytes bytes;

    Datagram& Add(std::uint16_t type, const Bytes& payload, std::uint16_t flags = NLM_F_MULTI,
                  std::uint32_t sequence = kSequence, std::uint32_t port = kPort) {
        nlmsghdr header{};
        header.nlmsg_len = static_cast<std::uint32_t>(sizeof header + payload.size());
        header.nlmsg_type = type;
        header.nlmsg_flags = flags;
        header.nlmsg_seq = sequence;
        header.nlmsg_pid = port;
        Append(bytes, header);
        Append(bytes, payload.data(), payload.size());
        Pad(bytes);
        return *this;
    }
    Datagram& Done() { return Add(NLMSG_DONE, Code(0)); }
};

const Bytes kMacA = {0x02, 0x00, 0x00, 0x00, 0x00, 0x0a};
const Bytes kMacB = {0x02, 0x00, 0x00, 0x00, 0x00, 0x0b};

// Reads the datagram from an exactly sized copy, so that a sanitizer sees
// any read past its end.
std::error_code ReadExactly(RouteReplyReader& reader, const Bytes& datagram) {
    const Bytes copy(datagram.begin(), datagram.end());
    return reader.Read(std::span(copy.data(), copy.size()));
}

template <std::size_t Size>
nlmsghdr HeaderOf(const std::array<std::uint8_t, Size>& request) {
    nlmsghdr header{};
    std::memcpy(&header, request.data(), sizeof header);
    EXPECT_EQ(header.nlmsg_len, request.size());
    EXPECT_EQ(header.nlmsg_pid, 0u);
    return header;
}

TEST(NeighbourRequests, AskForTheDumpTheInterfacesAndOneEntry) {
    const auto dump = NeighbourDumpRequest(77);
    nlmsghdr header = HeaderOf(dump);
    EXPECT_EQ(header.nlmsg_type, RTM_GETNEIGH);
    EXPECT_EQ(header.nlmsg_flags, NLM_F_REQUEST | NLM_F_DUMP);
    EXPECT_EQ(header.nlmsg_seq, 77u);
    EXPECT_EQ(dump[sizeof header], AF_INET); // ndm_family

    const auto interfaces = InterfaceListRequest(78);
    header = HeaderOf(interfaces);
    EXPECT_EQ(header.nlmsg_type, RTM_GETNETCONF);
    EXPECT_EQ(header.nlmsg_flags, NLM_F_REQUEST | NLM_F_DUMP);
    EXPECT_EQ(header.nlmsg_seq, 78u);
    EXPECT_EQ(interfaces[sizeof header], AF_INET); // ncm_family

    // The kernel refuses a get whose state, flags or type are not zero, and
    // any attribute but the address.
    const auto get = NeighbourGetRequest(79, 7, inet_addr("198.18.0.5"));
    header = HeaderOf(get);
    EXPECT_EQ(header.nlmsg_type, RTM_GETNEIGH);
    EXPECT_EQ(header.nlmsg_flags, NLM_F_REQUEST);
    EXPECT_EQ(header.nlmsg_seq, 79u);
    Datagram expected;
    expected.Add(RTM_GETNEIGH, Neighbour(7, 0, {Attribute(NDA_DST, Ipv4("198.18.0.5"))}),
                 NLM_F_REQUEST, 79, 0);
    EXPECT_EQ(Bytes(get.begin(), get.end()), expected.bytes);
}

TEST(NeighbourReplyReader, CollectsRowsFromEveryPartOfAMultiPartDump) {
    NeighbourReplyReader reader(kSequence, kPort);

    Datagram first;
    first.Add(RTM_NEWNEIGH, Entry(3, "198.18.0.20", NUD_REACHABLE, kMacA))
        .Add(RTM_NEWNEIGH, Entry(5, "198.18.0.10", NUD_PERMANENT, kMacB));
    ASSERT_FALSE(ReadExactly(reader, first.bytes));
    EXPECT_FALSE(reader.Finished());

    Datagram last;
    last.Add(RTM_NEWNEIGH, Neighbour(3, NUD_INCOMPLETE, {Attribute(NDA_DST, Ipv4("198.18.0.30"))}))
        .Done();
    ASSERT_FALSE(ReadExactly(reader, last.bytes));
    EXPECT_TRUE(reader.Finished());
    EXPECT_FALSE(reader.Interrupted());

    const auto& rows = reader.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].interfaceIndex, 3u);
    EXPECT_EQ(rows[0].address, inet_addr("198.18.0.20"));
    EXPECT_EQ(rows[0].type, NeighbourType::Dynamic);
    EXPECT_EQ(rows[0].physicalAddressLength, 6u);
    EXPECT_EQ(Bytes(rows[0].physicalAddress, rows[0].physicalAddress + 6), kMacA);
    EXPECT_EQ(rows[1].type, NeighbourType::Static);
    EXPECT_EQ(Bytes(rows[1].physicalAddress, rows[1].physicalAddress + 6), kMacB);
    // A neighbour still being resolved has no hardware address yet.
    EXPECT_EQ(rows[2].type, NeighbourType::Invalid);
    EXPECT_EQ(rows[2].physicalAddressLength, 0u);
    EXPECT_EQ(Bytes(rows[2].physicalAddress, rows[2].physicalAddress + 8), Bytes(8, 0));
}

TEST(NeighbourReplyReader, SkipsWhatIsNotOneOfOurIpv4Rows) {
    NeighbourReplyReader reader(kSequence, kPort);
    Datagram datagram;
    datagram
        // Answers to another request or to another socket, including their end.
        .Add(RTM_NEWNEIGH, Entry(1, "198.18.0.1", NUD_PERMANENT, kMacA), NLM_F_MULTI, kSequence + 1)
        .Add(RTM_NEWNEIGH, Entry(1, "198.18.0.2", NUD_PERMANENT, kMacA), NLM_F_MULTI, kSequence,
             kPort + 1)
        .Add(NLMSG_DONE, Code(0), NLM_F_MULTI, kSequence - 1)
        .Add(NLMSG_ERROR, Code(-EPERM), 0, kSequence, 0)
        .Add(RTM_NEWNEIGH, Entry(1, "198.18.0.3", NUD_PERMANENT, kMacA))
        // Ours, but nothing to keep: another family, no address, no row at all.
        .Add(RTM_NEWNEIGH,
             Neighbour(1, NUD_PERMANENT, {Attribute(NDA_DST, Bytes(16, 0xfe))}, AF_INET6))
        .Add(RTM_NEWNEIGH, Neighbour(1, NUD_PERMANENT, {Attribute(NDA_LLADDR, kMacA)}))
        .Add(NLMSG_NOOP, {})
        // Attributes the reader does not need are stepped over.
        .Add(RTM_NEWNEIGH, Neighbour(1, NUD_STALE,
                                     {Attribute(NDA_CACHEINFO, Bytes(16, 1)),
                                      Attribute(NDA_DST, Ipv4("198.18.0.4"))}))
        .Done();

    ASSERT_FALSE(ReadExactly(reader, datagram.bytes));
    EXPECT_TRUE(reader.Finished());
    ASSERT_EQ(reader.Rows().size(), 2u);
    EXPECT_EQ(reader.Rows()[0].address, inet_addr("198.18.0.3"));
    EXPECT_EQ(reader.Rows()[1].address, inet_addr("198.18.0.4"));
    EXPECT_EQ(reader.Rows()[1].type, NeighbourType::Dynamic);
}

TEST(NeighbourReplyReader, EndsOnErrorAcknowledgementOrDone) {
    struct Case {
        const char* what;
        Datagram datagram;
        std::error_code expected;
    };
    const std::error_code none;
    const std::error_code bad = std::make_error_code(std::errc::bad_message);
    const std::vector<Case> cases = {
        {"kernel refuses", Datagram().Add(NLMSG_ERROR, Code(-EPERM), 0),
         std::error_code(EPERM, std::system_category())},
        {"acknowledgement", Datagram().Add(NLMSG_ERROR, Code(0), 0), none},
        {"error code cut short", Datagram().Add(NLMSG_ERROR, Bytes{0xff, 0xff}, 0), bad},
        {"positive error code", Datagram().Add(NLMSG_ERROR, Code(5), 0), bad},
        {"error code beyond errno", Datagram().Add(NLMSG_ERROR, Code(-1000000), 0), bad},
        {"done without payload", Datagram().Add(NLMSG_DONE, {}), none},
        {"done with a failed dump", Datagram().Add(NLMSG_DONE, Code(-ENOBUFS)),
         std::error_code(ENOBUFS, std::system_category())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NeighbourReplyReader reader(kSequence, kPort);
        EXPECT_EQ(ReadExactly(reader, c.datagram.bytes), c.expected);
        EXPECT_TRUE(reader.Finished());
    }
}

TEST(NeighbourReplyReader, IgnoresMessagesAfterTheEnd) {
    NeighbourReplyReader reader(kSequence, kPort);
    Datagram datagram;
    datagram.Done().Add(RTM_NEWNEIGH, Entry(1, "198.18.0.9", NUD_PERMANENT, kMacA));
    datagram.bytes.push_back(0xee); // not even a header: never looked at
    EXPECT_FALSE(ReadExactly(reader, datagram.bytes));
    EXPECT_TRUE(reader.Rows().empty());
}

// Each case is a well-formed answer with one length spoiled; a dump and
// the answer to a get are read alike.
TEST(NeighbourReplyReader, RejectsEveryLengthThatDoesNotFit) {
    const Bytes entry = Entry(2, "198.18.0.5", NUD_PERMANENT, kMacA);
    const auto withHeaderLength = [&](std::uint32_t length) {
        Datagram datagram;
        datagram.Add(RTM_NEWNEIGH, entry);
        std::memcpy(datagram.bytes.data(), &length, sizeof length);
        return datagram.bytes;
    };
    const auto withAttributes = [](Bytes attributes) {
        Bytes payload = Neighbour(2, NUD_PERMANENT, {});
        Append(payload, attributes.data(), attributes.size());
        return Datagram().Add(RTM_NEWNEIGH, payload).bytes;
    };
    // A hardware address may have any length, so only the length check
    // stops this one.
    Bytes attributeTooLong = Attribute(NDA_LLADDR, kMacA);
    attributeTooLong[0] = 16; // claims four bytes more than there are
    // An attribute the reader would step over, followed by a good address.
    Bytes attributeTooShort = Attribute(NDA_CACHEINFO, Bytes(4, 0));
    attributeTooShort[0] = 2; // shorter than its own header
    Append(attributeTooShort, Attribute(NDA_DST, Ipv4("198.18.0.5")));
    // Two bytes where an attribute header should be, at the very end of the
    // datagram (the last message need not be padded).
    Bytes headerCutShort = withAttributes(Bytes{8, 0});
    headerCutShort.resize(headerCutShort.size() - 2);

    struct Case {
        const char* what;
        Bytes datagram;
    };
    const std::vector<Case> cases = {
        {"datagram shorter than a header", Bytes(10, 0)},
        {"header length below the header", withHeaderLength(8)},
        {"header length past the datagram",
         withHeaderLength(static_cast<std::uint32_t>(sizeof(nlmsghdr) + entry.size() + 4))},
        {"ndmsg cut short", Datagram().Add(RTM_NEWNEIGH, Bytes(8, 0)).bytes},
        {"attribute longer than the message", withAttributes(attributeTooLong)},
        {"attribute shorter than its header", withAttributes(attributeTooShort)},
        {"attribute header cut short", headerCutShort},
        {"IPv4 address of six bytes", withAttributes(Attribute(NDA_DST, Bytes(6, 1)))},
        {"IPv4 address of three bytes", withAttributes(Attribute(NDA_DST, Bytes(3, 1)))},
    };
    for (const NeighbourAnswer answer : {NeighbourAnswer::Dump, NeighbourAnswer::Single}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            NeighbourReplyReader reader(kSequence, kPort, answer);
            EXPECT_EQ(ReadExactly(reader, c.datagram),
                      std::make_error_code(std::errc::bad_message));
            EXPECT_TRUE(reader.Rows().empty());
            EXPECT_TRUE(reader.Finished());
        }
    }
}

TEST(NeighbourReplyReader, KeepsAtMostEightBytesOfHardwareAddress) {
    Bytes infiniband(20);
    for (std::size_t i = 0; i < infiniband.size(); ++i) {
        infiniband[i] = static_cast<std::uint8_t>(i + 1);
    }
    NeighbourReplyReader reader(kSequence, kPort);
    Datagram datagram;
    datagram.Add(RTM_NEWNEIGH, Entry(1, "198.18.0.1", NUD_NOARP, infiniband))
        .Add(RTM_NEWNEIGH, Entry(1, "198.18.0.2", NUD_NOARP, {}))
        .Done();
    ASSERT_FALSE(ReadExactly(reader, datagram.bytes));
    ASSERT_EQ(reader.Rows().size(), 2u);
    const NeighbourRow& longRow = reader.Rows()[0];
    EXPECT_EQ(longRow.physicalAddressLength, 8u);
    EXPECT_EQ(Bytes(longRow.physicalAddress, longRow.physicalAddress + 8),
              Bytes(infiniband.begin(), infiniband.begin() + 8));
    EXPECT_EQ(longRow.type, NeighbourType::Other);
    EXPECT_EQ(reader.Rows()[1].physicalAddressLength, 0u);
}

TEST(NeighbourReplyReader, NoticesAnInterruptedDumpOfOurOwn) {
    NeighbourReplyReader foreign(kSequence, kPort);
    ASSERT_FALSE(ReadExactly(
        foreign, Datagram().Add(NLMSG_NOOP, {}, NLM_F_DUMP_INTR, kSequence + 1).Done().bytes));
    EXPECT_FALSE(foreign.Interrupted());

    NeighbourReplyReader ours(kSequence, kPort);
    ASSERT_FALSE(ReadExactly(ours, Datagram()
                                       .Add(RTM_NEWNEIGH, Entry(1, "198.18.0.1", 0, kMacA),
                                            NLM_F_MULTI | NLM_F_DUMP_INTR)
                                       .Done()
                                       .bytes));
    EXPECT_TRUE(ours.Interrupted());
}

// The answer to a get is one entry, or an error such as ENOENT for an
// address the interface has no entry for.
TEST(NeighbourReplyReader, EndsASingleAnswerWithItsEntryOrError) {
    NeighbourReplyReader entry(kSequence, kPort, NeighbourAnswer::Single);
    ASSERT_FALSE(ReadExactly(
        entry, Datagram()
                   .Add(RTM_NEWNEIGH, Entry(4, "198.18.0.1", NUD_STALE, kMacA), 0, kSequence + 1)
                   .Add(RTM_NEWNEIGH, Entry(4, "198.18.0.2", NUD_STALE, kMacB), 0)
                   .Add(RTM_NEWNEIGH, Entry(4, "198.18.0.3", NUD_STALE, kMacB), 0)
                   .bytes));
    EXPECT_TRUE(entry.Finished());
    ASSERT_EQ(entry.Rows().size(), 1u);
    EXPECT_EQ(entry.Rows()[0].address, inet_addr("198.18.0.2"));
    EXPECT_EQ(entry.Rows()[0].interfaceIndex, 4u);

    NeighbourReplyReader missing(kSequence, kPort, NeighbourAnswer::Single);
    EXPECT_EQ(ReadExactly(missing, Datagram().Add(NLMSG_ERROR, Code(-ENOENT), 0).bytes),
              std::error_code(ENOENT, std::system_category()));
    EXPECT_TRUE(missing.Finished());
    EXPECT_TRUE(missing.Rows().empty());
}

Bytes Netconf(std::initializer_list<Bytes> attributes, std::uint8_t family = AF_INET) {
    Bytes bytes = {family, 0, 0, 0}; // netconfmsg, padded
    for (const Bytes& attribute : attributes) {
        Append(bytes, attribute.data(), attribute.size());
    }
    return bytes;
}

Bytes Index(int index) {
    return Attribute(NETCONFA_IFINDEX, Code(index));
}

TEST(InterfaceListReader, CollectsTheIndexesOfRealIpv4Interfaces) {
    InterfaceListReader reader(kSequence, kPort);
    const Bytes forwarding = Attribute(NETCONFA_FORWARDING, Code(1));
    Datagram datagram;
    datagram.Add(RTM_NEWNETCONF, Netconf({Index(1), forwarding}))
        .Add(RTM_NEWNETCONF, Netconf({forwarding, Index(9)}))
        .Add(RTM_NEWNETCONF, Netconf({Index(NETCONFA_IFINDEX_ALL)}))
        .Add(RTM_NEWNETCONF, Netconf({Index(NETCONFA_IFINDEX_DEFAULT)}))
        .Add(RTM_NEWNETCONF, Netconf({Index(5)}, AF_INET6))
        .Add(RTM_NEWNETCONF, Netconf({Index(6)}), NLM_F_MULTI, kSequence + 1)
        .Add(RTM_NEWNETCONF, Netconf({forwarding}))
        .Add(RTM_NEWNETCONF, Netconf({Index(3)}))
        .Done();
    ASSERT_FALSE(ReadExactly(reader, datagram.bytes));
    EXPECT_TRUE(reader.Finished());
    EXPECT_EQ(reader.Indexes(), (std::vector<std::uint32_t>{1, 9, 3}));

    Bytes indexTooLong = Index(2);
    indexTooLong[0] = 12;
    for (const Bytes& payload :
         {Bytes{}, Netconf({Attribute(NETCONFA_IFINDEX, Bytes(2, 1))}), Netconf({indexTooLong})}) {
        InterfaceListReader spoiled(kSequence, kPort);
        EXPECT_EQ(ReadExactly(spoiled, Datagram().Add(RTM_NEWNETCONF, payload).bytes),
                  std::make_error_code(std::errc::bad_message));
        EXPECT_TRUE(spoiled.Indexes().empty());
    }
}

TEST(NeighbourTypeFromState, FollowsTheTraditionalTableTypes) {
    EXPECT_EQ(NeighbourTypeFromState(NUD_PERMANENT), NeighbourType::Static);
    for (std::uint16_t state : {NUD_REACHABLE, NUD_STALE, NUD_DELAY, NUD_PROBE}) {
        EXPECT_EQ(NeighbourTypeFromState(state), NeighbourType::Dynamic) << state;
    }
    EXPECT_EQ(NeighbourTypeFromState(NUD_NOARP), NeighbourType::Other);
    for (std::uint16_t state : {NUD_INCOMPLETE, NUD_FAILED, NUD_NONE}) {
        EXPECT_EQ(NeighbourTypeFromState(state), NeighbourType::Invalid) << state;
    }
}

TEST(SortNeighbourRows, OrdersByHostOrderAddressThenInterface) {
    const auto row = [](const char* address, std::uint32_t interfaceIndex) {
        NeighbourRow r;
        r.address = inet_addr(address);
        r.interfaceIndex = interfaceIndex;
        return r;
    };
    // In network byte order 10.0.1.1 would sort before 10.0.0.2.
    std::vector<NeighbourRow> rows = {row("10.0.1.1", 1), row("198.18.0.1", 7), row("10.0.0.2", 9),
                                      row("198.18.0.1", 2)};
    SortNeighbourRows(rows);
    std::vector<std::string> order;
    for (const NeighbourRow& r : rows) {
        in_addr address{r.address};
        order.push_back(std::string(inet_ntoa(address)) + "@" + std::to_string(r.interfaceIndex));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"10.0.0.2@9", "10.0.1.1@1", "198.18.0.1@2",
                                               "198.18.0.1@7"}));
}

} // namespace
} // namespace nodescout
