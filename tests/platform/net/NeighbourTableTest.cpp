// ReadNeighbourTable and ReadNeighbourRows against entries that ip neigh
// puts into the kernel's table of a private namespace.

#include "platform/net/NeighbourTable.h"
#include "platform/net/Inet.h"
#include "tests/support/NetLab.h"
#include "tests/support/SuiteLab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace nodescout::test {
namespace {

class NeighbourTableOnLab : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lab.Build([](NetLab& lab) {
            s_br0 = lab.ClientInterfaceIndex("br0");
            s_br1 = lab.AddClientBridge("br1", "198.18.1.1/24");
        });
    }
    static void TearDownTestSuite() { s_lab.Reset(); }

    void SetUp() override { NODESCOUT_REQUIRE_SUITE_LAB(s_lab); }

    // The client namespace's table, read from inside it.
    static std::vector<NeighbourRow> ReadClientTable() {
        ScopedNamespace inside(s_lab->ClientNamespace());
        std::vector<NeighbourRow> rows;
        const std::error_code error = ReadNeighbourTable(rows);
        EXPECT_FALSE(error) << error.message();
        return rows;
    }

    // The rows of one address, read from inside the client namespace.
    static std::vector<NeighbourRow> ReadClientRows(const char* address) {
        ScopedNamespace inside(s_lab->ClientNamespace());
        std::vector<NeighbourRow> rows;
        const std::error_code error = ReadNeighbourRows(inet_addr(address), rows);
        EXPECT_FALSE(error) << error.message();
        return rows;
    }

    static inline SuiteLab s_lab{SuiteLab::Needs::Namespaces};
    static inline int s_br0 = 0;
    static inline int s_br1 = 0;
};

struct RowText {
    std::string address;
    int interfaceIndex;
    NeighbourType type;
    std::string mac;

    friend bool operator==(const RowText&, const RowText&) = default;
    friend std::ostream& operator<<(std::ostream& out, const RowText& row) {
        return out << row.address << "@" << row.interfaceIndex << " type "
                   << static_cast<int>(row.type) << " " << row.mac;
    }
};

RowText TextOf(const NeighbourRow& row) {
    std::string mac;
    for (std::uint32_t i = 0; i < row.physicalAddressLength; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, i == 0 ? "%02x" : ":%02x", row.physicalAddress[i]);
        mac += digits;
    }
    return {AddressText(row.address), static_cast<int>(row.interfaceIndex), row.type, mac};
}

bool InRange(const NeighbourRow& row, const char* first, const char* last) {
    const std::uint32_t address = ntohl(row.address);
    return address >= ntohl(inet_addr(first)) && address <= ntohl(inet_addr(last));
}

TEST_F(NeighbourTableOnLab, ReportsEveryStateWithItsTypeInAddressOrder) {
    // Added out of order; 198.18.1.5 would sort before 198.18.0.2xx if the
    // addresses were compared in network byte order.
    s_lab->RunBatchInClient({
        "neigh replace 198.18.1.5 dev br1 lladdr 02:4e:53:00:01:05 nud permanent",
        "neigh replace 198.18.0.208 dev br0 lladdr 02:4e:53:00:02:08 nud probe",
        "neigh replace 198.18.0.201 dev br0 lladdr 02:4e:53:00:02:01 nud permanent",
        "neigh replace 198.18.0.202 dev br0 lladdr 02:4e:53:00:02:02 nud stale",
        "neigh replace 198.18.0.203 dev br0 lladdr 02:4e:53:00:02:03 nud noarp",
        "neigh replace 198.18.0.204 dev br0 lladdr 02:4e:53:00:02:04 nud failed",
        "neigh replace 198.18.0.205 dev br0 nud incomplete",
        "neigh replace 198.18.0.206 dev br0 lladdr 02:4e:53:00:02:06 nud reachable",
        "neigh replace 198.18.0.207 dev br0 lladdr 02:4e:53:00:02:07 nud delay",
        "neigh replace 198.18.0.209 dev br0 lladdr 02:4e:53:00:02:09 nud none",
        // One address on two interfaces: two rows, the lower index first.
        "neigh replace 198.18.0.250 dev br1 lladdr 02:4e:53:00:0b:01 nud permanent",
        "neigh replace 198.18.0.250 dev br0 lladdr 02:4e:53:00:0b:00 nud permanent",
    });

    std::vector<RowText> rows;
    for (const NeighbourRow& row : ReadClientTable()) {
        if (InRange(row, "198.18.0.200", "198.18.1.255")) {
            rows.push_back(TextOf(row));
        }
    }

    using enum NeighbourType;
    // The kernel sends a hardware address only with the states it counts as
    // valid, so failed, incomplete and none come back without one.
    const std::vector<RowText> expected = {
        {"198.18.0.201", s_br0, Static, "02:4e:53:00:02:01"},
        {"198.18.0.202", s_br0, Dynamic, "02:4e:53:00:02:02"},
        {"198.18.0.203", s_br0, Other, "02:4e:53:00:02:03"},
        {"198.18.0.204", s_br0, Invalid, ""},
        {"198.18.0.205", s_br0, Invalid, ""},
        {"198.18.0.206", s_br0, Dynamic, "02:4e:53:00:02:06"},
        {"198.18.0.207", s_br0, Dynamic, "02:4e:53:00:02:07"},
        {"198.18.0.208", s_br0, Dynamic, "02:4e:53:00:02:08"},
        {"198.18.0.209", s_br0, Invalid, ""},
        {"198.18.0.250", s_br0, Static, "02:4e:53:00:0b:00"},
        {"198.18.0.250", s_br1, Static, "02:4e:53:00:0b:01"},
        {"198.18.1.5", s_br1, Static, "02:4e:53:00:01:05"},
    };
    EXPECT_EQ(rows, expected) << s_lab->ShowNeighbours();
}

// The lookup of one address gives exactly the dump's rows of that address,
// in the dump's order, for every state and for an address on two
// interfaces; the probe's rule then picks among them as it did among the
// dump's.
TEST_F(NeighbourTableOnLab, RowsOfOneAddressAreTheTableRowsOfThatAddress) {
    s_lab->RunBatchInClient({
        "neigh replace 198.18.0.231 dev br0 lladdr 02:4e:53:00:03:01 nud permanent",
        "neigh replace 198.18.0.232 dev br0 lladdr 02:4e:53:00:03:02 nud stale",
        "neigh replace 198.18.0.233 dev br0 lladdr 02:4e:53:00:03:03 nud noarp",
        "neigh replace 198.18.0.234 dev br0 lladdr 02:4e:53:00:03:04 nud failed",
        "neigh replace 198.18.0.235 dev br0 nud incomplete",
        "neigh replace 198.18.0.236 dev br0 lladdr 02:4e:53:00:03:06 nud reachable",
        "neigh replace 198.18.0.237 dev br0 lladdr 02:4e:53:00:03:07 nud delay",
        "neigh replace 198.18.0.238 dev br0 lladdr 02:4e:53:00:03:08 nud probe",
        "neigh replace 198.18.0.239 dev br0 lladdr 02:4e:53:00:03:09 nud none",
        // Added on the higher index first, in both states.
        "neigh replace 198.18.0.240 dev br1 lladdr 02:4e:53:00:04:01 nud permanent",
        "neigh replace 198.18.0.240 dev br0 lladdr 02:4e:53:00:04:00 nud stale",
        // The lower index holds an entry that does not count.
        "neigh replace 198.18.0.241 dev br1 lladdr 02:4e:53:00:04:11 nud stale",
        "neigh replace 198.18.0.241 dev br0 nud failed",
    });
    const std::vector<NeighbourRow> table = ReadClientTable();
    for (int last = 231; last <= 242; ++last) { // .242 has no entry at all
        const std::string address = "198.18.0." + std::to_string(last);
        SCOPED_TRACE(address);
        std::vector<RowText> expected;
        for (const NeighbourRow& row : table) {
            if (row.address == inet_addr(address.c_str())) {
                expected.push_back(TextOf(row));
            }
        }
        std::vector<RowText> rows;
        for (const NeighbourRow& row : ReadClientRows(address.c_str())) {
            rows.push_back(TextOf(row));
        }
        EXPECT_EQ(rows, expected) << s_lab->ShowNeighbours();
        EXPECT_EQ(rows.size(), last >= 240 && last <= 241 ? 2u : last == 242 ? 0u : 1u);
    }
    const std::vector<NeighbourRow> twice = ReadClientRows("198.18.0.241");
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[0].type, NeighbourType::Invalid);
    EXPECT_EQ(TextOf(twice[1]),
              (RowText{"198.18.0.241", s_br1, NeighbourType::Dynamic, "02:4e:53:00:04:11"}));
}

// A walk's scope keeps the interface list between lookups; an interface
// that comes or goes meanwhile must still count from the next lookup on.
TEST_F(NeighbourTableOnLab, LookupsInAScopeFollowInterfacesThatComeAndGo) {
    s_lab->RunBatchInClient({"neigh replace 198.18.0.243 dev br0 nud failed"});
    const auto rowsInScope = [] {
        std::vector<NeighbourRow> rows;
        const std::error_code error = ReadNeighbourRows(inet_addr("198.18.0.243"), rows);
        EXPECT_FALSE(error) << error.message();
        std::vector<RowText> texts;
        for (const NeighbourRow& row : rows) {
            texts.push_back(TextOf(row));
        }
        return texts;
    };
    const RowText failed{"198.18.0.243", s_br0, NeighbourType::Invalid, ""};

    const ScopedNamespace inside(s_lab->ClientNamespace());
    const NeighbourReadScope walk;
    EXPECT_EQ(rowsInScope(), std::vector<RowText>{failed});

    const int br2 = s_lab->AddClientBridge("br2", "198.18.2.1/24");
    s_lab->RunBatchInClient(
        {"neigh replace 198.18.0.243 dev br2 lladdr 02:4e:53:00:05:02 nud permanent"});
    const RowText added{"198.18.0.243", br2, NeighbourType::Static, "02:4e:53:00:05:02"};
    EXPECT_EQ(rowsInScope(), (std::vector<RowText>{failed, added})) << s_lab->ShowNeighbours();

    s_lab->RunBatchInClient({"link del br2"});
    EXPECT_EQ(rowsInScope(), std::vector<RowText>{failed}) << s_lab->ShowNeighbours();
}

// Thousands of rows need many datagrams of the dump.
TEST_F(NeighbourTableOnLab, ReadsEveryRowOfALargeTable) {
    constexpr int kEntries = 3000;
    std::vector<std::string> batch;
    for (int i = 0; i < kEntries; ++i) {
        char line[96];
        std::snprintf(
            line, sizeof line,
            "neigh replace 198.19.%d.%d dev br1 lladdr 02:4e:54:00:%02x:%02x nud permanent",
            i / 200, i % 200 + 1, i / 256, i % 256);
        batch.push_back(line);
    }
    s_lab->RunBatchInClient(batch);

    std::vector<NeighbourRow> rows = ReadClientTable();
    std::erase_if(rows, [](const NeighbourRow& row) {
        return !InRange(row, "198.19.0.0", "198.19.255.255");
    });
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kEntries));
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return ntohl(a.address) < ntohl(b.address);
    }));
    EXPECT_EQ(TextOf(rows.back()).address, "198.19.14.200");
    EXPECT_EQ(TextOf(rows.back()).mac, "02:4e:54:00:0b:b7");
}

} // namespace
} // namespace nodescout::test
