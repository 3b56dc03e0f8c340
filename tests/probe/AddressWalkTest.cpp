#include "probe/AddressWalk.h"

#include "platform/net/Inet.h"
#include "tests/probe/RecordingWalkOwner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace nodescout {
namespace {

using Log = std::vector<std::string>;

// Answers probes from a script and writes down everything a walk does,
// probes and pauses included.
class RecordingOwner : public test::RecordingWalkOwner {
public:
    std::map<std::string, std::pair<std::string, std::string>> answers; // address -> MAC, name
    std::function<void(const std::string&)> onProbe;

    void Probe(std::uint32_t address, MacText& macText, Text& computerName) override {
        const std::string dotted = AddressText(address);
        log.push_back("probe " + dotted);
        if (onProbe) {
            onProbe(dotted);
        }
        const auto answer = answers.find(dotted);
        if (answer != answers.end()) {
            macText = answer->second.first;
            computerName = answer->second.second;
        }
    }
    bool StopRequested() override { return stop; }
    bool Pause(int seconds) override {
        log.push_back("pause " + std::to_string(seconds));
        return !stop;
    }

    bool stop = false;
};

class Table : public RangeSource {
public:
    std::vector<std::pair<std::string, std::string>> ranges;
    std::function<int()> count = [this] { return static_cast<int>(ranges.size()); };

    int RangeCount() override { return count(); }
    Text RangeStart(int index) override {
        return Text(ranges.at(static_cast<std::size_t>(index)).first);
    }
    Text RangeEnd(int index) override {
        return Text(ranges.at(static_cast<std::size_t>(index)).second);
    }
};

Log Begins(std::int32_t count) {
    return {"begin " + std::to_string(count)};
}

Log operator+(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(RangeWalk, ProbesUpToButNotIncludingTheEndAddress) {
    RecordingOwner owner;
    owner.answers["192.168.0.3"] = {"020000000003", "ALPHA"};
    Table table;
    table.ranges = {{"192.168.0.1", "192.168.0.10"}};
    ScanRange(owner, table);

    Log expected = Begins(9);
    for (int host = 1; host <= 9; ++host) {
        const std::string address = "192.168.0." + std::to_string(host);
        expected.push_back("probe " + address);
        if (host == 3) {
            expected.push_back("row 192.168.0.3 020000000003 ALPHA");
        }
        expected.push_back("done");
    }
    expected.push_back("end 9");
    EXPECT_EQ(owner.log, expected);
}

TEST(RangeWalk, EmptyAndBackwardRangesProbeNothing) {
    RecordingOwner owner;
    Table table;
    table.ranges = {{"192.168.0.5", "192.168.0.5"}};
    ScanRange(owner, table);
    EXPECT_EQ(owner.log, (Begins(0) + Log{"end 0"}));

    owner.log.clear();
    table.ranges = {{"192.168.0.10", "192.168.0.1"}};
    ScanRange(owner, table);
    EXPECT_EQ(owner.log, (Begins(-9) + Log{"end -9"}));
}

TEST(RangeWalk, CrossesOctetBoundariesAndRereadsTheStartForEveryAddress) {
    RecordingOwner owner;
    Table table;
    table.ranges = {{"192.168.0.254", "192.168.1.2"}};
    ScanRange(owner, table);
    EXPECT_EQ(owner.log,
              (Begins(4) + Log{"probe 192.168.0.254", "done", "probe 192.168.0.255", "done",
                               "probe 192.168.1.0", "done", "probe 192.168.1.1", "done", "end 4"}));

    // A start text changed during the walk counts from the next address on;
    // the end text was read once, so the count stays.
    owner.log.clear();
    table.ranges = {{"10.0.0.1", "10.0.0.4"}};
    owner.onProbe = [&](const std::string& address) {
        if (address == "10.0.0.1") {
            table.ranges[0] = {"10.0.5.1", "10.0.0.2"};
        }
    };
    ScanRange(owner, table);
    EXPECT_EQ(owner.log, (Begins(3) + Log{"probe 10.0.0.1", "done", "probe 10.0.5.2", "done",
                                          "probe 10.0.5.3", "done", "end 3"}));
}

// Text that is no dotted address would read as 255.255.255.255: an end
// typed wrong would walk on past the range, and a start edited into a wrong
// text during the walk would jump there.
TEST(RangeWalk, WalksOnlyWhileBothTextsAreDottedAddresses) {
    RecordingOwner owner;
    Table table;
    for (const auto& [start, end] : {std::pair{"198.18.0.1", "198.18.0.2555"},
                                     {"198.18.0.1", ""},
                                     {"not an address", "198.18.0.5"},
                                     {"198.18.1", "198.18.0.5"}}) {
        table.ranges = {{start, end}};
        ScanRange(owner, table);
        EXPECT_EQ(owner.log, Log{}) << start << " - " << end;
    }

    table.ranges = {{"198.18.0.1", "198.18.0.5"}};
    owner.onProbe = [&](const std::string&) { table.ranges[0].first = "198.18.0.2555"; };
    ScanRange(owner, table);
    EXPECT_EQ(owner.log, (Begins(4) + Log{"probe 198.18.0.1", "done", "end 4"}));
}

TEST(ScanAllRanges, WalksEveryRangeWithStatusTextAndRereadsTheCount) {
    RecordingOwner owner;
    Table table;
    EXPECT_EQ(ScanAllRanges(owner, table), 1);
    EXPECT_TRUE(owner.log.empty()) << "an empty table sends nothing";

    table.ranges = {
        {"198.18.0.1", "198.18.0.2"}, {"198.18.1.1", "198.18.1.2"}, {"198.18.2.1", "198.18.2.2"}};
    int countReads = 0;
    table.count = [&] { return ++countReads <= 2 ? 3 : 2; }; // shrinks after the first range
    EXPECT_EQ(ScanAllRanges(owner, table), 1);
    EXPECT_EQ(owner.log,
              (Begins(1) + Log{"status 198.18.0.1", "probe 198.18.0.1", "done", "end 1"} +
               Begins(1) + Log{"status 198.18.1.1", "probe 198.18.1.1", "done", "end 1"}));
}

TEST(SearchMac, ProbesTheEndAddressAndStepsForEveryMiss) {
    RecordingOwner owner;
    const std::optional<Text> message =
        SearchMac(owner, Text("192.168.0.1"), Text("192.168.0.10"), MacText("020000000099"));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->View(), "Sorry, cannot find it.");
    Log expected = Begins(9);
    for (int host = 1; host <= 10; ++host) {
        expected.push_back("probe 192.168.0." + std::to_string(host));
        expected.push_back("done");
    }
    expected.push_back("end 9");
    EXPECT_EQ(owner.log, expected);
}

TEST(SearchMac, MatchIgnoresCaseEntersTheRowAndSendsNoStepForIt) {
    RecordingOwner owner;
    owner.answers["192.168.0.1"] = {"00a0c9123456", "FOUND"};
    const std::optional<Text> message =
        SearchMac(owner, Text("192.168.0.1"), Text("192.168.0.10"), MacText("00A0C9123456"));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->View(), "Congratulations. Get it: 00a0c9123456 - 192.168.0.1");
    EXPECT_EQ(owner.log, (Begins(9) +
                          Log{"probe 192.168.0.1", "row 192.168.0.1 00a0c9123456 FOUND", "end 9"}));
}

TEST(SearchMac, SingleAddressBackwardRangeAndNoWrapPastTheTop) {
    RecordingOwner owner;
    SearchMac(owner, Text("198.18.0.7"), Text("198.18.0.7"), MacText("x"));
    EXPECT_EQ(owner.log, (Begins(0) + Log{"probe 198.18.0.7", "done", "end 0"}));

    owner.log.clear();
    SearchMac(owner, Text("not an address"), Text("198.18.0.7"), MacText("x"));
    EXPECT_EQ(owner.log.size(), 2u) << "unreadable start lies above the end: nothing probed";
    EXPECT_EQ(owner.log.back(), "end " + std::to_string(static_cast<std::int32_t>(
                                             ntohl(inet_addr("198.18.0.7")) - 0xFFFFFFFFu)));

    owner.log.clear();
    SearchMac(owner, Text("255.255.255.254"), Text("garbage"), MacText("x"));
    EXPECT_EQ(owner.log, (Begins(1) + Log{"probe 255.255.255.254", "done", "probe 255.255.255.255",
                                          "done", "end 1"}));
}

TEST(Walks, NothingFollowsAStop) {
    RecordingOwner owner;
    owner.answers["198.18.0.2"] = {"020000000002", "TWO"};
    owner.onProbe = [&](const std::string& address) {
        if (address == "198.18.0.2") {
            owner.stop = true; // the stop arrives while this probe runs
        }
    };
    Table table;
    table.ranges = {{"198.18.0.1", "198.18.0.9"}, {"198.18.1.1", "198.18.1.9"}};
    ScanAllRanges(owner, table);
    EXPECT_EQ(owner.log, (Begins(8) + Log{"status 198.18.0.1", "probe 198.18.0.1", "done",
                                          "status 198.18.0.2", "probe 198.18.0.2"}));

    owner.log.clear();
    owner.stop = false;
    owner.onProbe = [&](const std::string&) { owner.stop = true; };
    EXPECT_FALSE(SearchMac(owner, Text("198.18.0.2"), Text("198.18.0.9"), MacText("020000000002")));
    EXPECT_EQ(owner.log, (Begins(7) + Log{"probe 198.18.0.2"}));
}

TEST(AutoScan, RescansWithAPauseBetweenPassesUntilStopped) {
    RecordingOwner owner;
    Table single;
    single.ranges = {{"198.18.0.1", "198.18.0.2"}};
    int passes = 0;
    int interval = 10;
    owner.onProbe = [&](const std::string&) {
        interval = -5; // read anew at every pause
        if (++passes == 3) {
            owner.stop = true;
        }
    };
    RunAutoScan(owner, single, [&] { return interval; });
    EXPECT_EQ(passes, 3);
    const Log pass = Begins(1) + Log{"probe 198.18.0.1", "done", "end 1"};
    EXPECT_EQ(owner.log, (pass + Log{"pause -5"} + pass + Log{"pause -5"} + Begins(1) +
                          Log{"probe 198.18.0.1"}));
}

// A window of probes answered by the owner's script, finishing one probe
// per Collect, the newest first, so that results come back against the
// address order; every other start is refused, as paced sends are.
class ScrambledWindow : public ProbeWindow {
public:
    ScrambledWindow(RecordingOwner& owner, std::size_t capacity, int& dropped)
        : m_owner(owner), m_capacity(capacity), m_dropped(dropped) {}
    ~ScrambledWindow() override { m_dropped += static_cast<int>(m_inFlight.size()); }

    std::size_t Capacity() const override { return m_capacity; }
    bool Start(std::uint64_t sequence, std::uint32_t address) override {
        if ((m_refuse = !m_refuse)) {
            return false;
        }
        EXPECT_LT(m_inFlight.size(), m_capacity);
        FinishedProbe probe{sequence, {}, {}};
        m_owner.Probe(address, probe.macText, probe.computerName);
        m_inFlight.push_back(probe);
        return true;
    }
    void Collect(std::vector<FinishedProbe>& finished) override {
        if (!m_inFlight.empty()) {
            finished.push_back(m_inFlight.back());
            m_inFlight.pop_back();
        }
    }

private:
    RecordingOwner& m_owner;
    std::size_t m_capacity;
    int& m_dropped;
    bool m_refuse = false;
    std::vector<FinishedProbe> m_inFlight;
};

class OverlappingOwner : public RecordingOwner {
public:
    int dropped = 0;
    std::unique_ptr<ProbeWindow> OpenProbeWindow() override {
        return std::make_unique<ScrambledWindow>(*this, 4, dropped);
    }
};

// The events a walk sent, without the probes (an overlapped walk probes
// ahead of the results it takes).
Log EventsOf(const Log& log) {
    Log events;
    std::copy_if(log.begin(), log.end(), std::back_inserter(events),
                 [](const std::string& entry) { return entry.rfind("probe ", 0) != 0; });
    return events;
}

void ScriptHosts(RecordingOwner& owner) {
    owner.answers["198.18.0.2"] = {"020000000002", "TWO"};
    owner.answers["198.18.0.5"] = {"020000000005", ""};
    owner.answers["198.18.0.6"] = {"020000000002", "AGAIN"};
    owner.answers["198.18.1.3"] = {"020000000013", "THIRTEEN"};
}

TEST(OverlappedWalk, RangesGiveTheEventsOfTheOneAtATimeWalkInAddressOrder) {
    Table table;
    table.ranges = {{"198.18.0.1", "198.18.0.11"}, {"198.18.1.1", "198.18.1.5"}};
    RecordingOwner single;
    OverlappingOwner overlapped;
    ScriptHosts(single);
    ScriptHosts(overlapped);
    ScanAllRanges(single, table);
    ScanAllRanges(overlapped, table);
    EXPECT_EQ(EventsOf(overlapped.log), EventsOf(single.log));
    EXPECT_EQ(overlapped.log.size(), single.log.size()) << "every address probed once";
    EXPECT_EQ(overlapped.dropped, 0);
}

TEST(OverlappedWalk, MacSearchTakesTheFirstMatchInAddressOrderAndDropsTheRest) {
    RecordingOwner single;
    OverlappingOwner overlapped;
    ScriptHosts(single);
    ScriptHosts(overlapped);
    const MacText wanted("020000000002");
    const auto singleMessage = SearchMac(single, Text("198.18.0.1"), Text("198.18.0.9"), wanted);
    const auto message = SearchMac(overlapped, Text("198.18.0.1"), Text("198.18.0.9"), wanted);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->View(), "Congratulations. Get it: 020000000002 - 198.18.0.2");
    EXPECT_EQ(message->View(), singleMessage->View());
    EXPECT_EQ(EventsOf(overlapped.log), EventsOf(single.log));
    EXPECT_GT(overlapped.dropped, 0) << "the probes after the match were still in flight";

    // Up to and including 255.255.255.255, without wrapping.
    overlapped.log.clear();
    EXPECT_EQ(SearchMac(overlapped, Text("255.255.255.254"), Text("garbage"), wanted)->View(),
              "Sorry, cannot find it.");
    EXPECT_EQ(overlapped.log, (Begins(1) + Log{"probe 255.255.255.254", "probe 255.255.255.255",
                                               "done", "done", "end 1"}));
}

TEST(OverlappedWalk, NothingIsTakenAfterAStop) {
    OverlappingOwner owner;
    ScriptHosts(owner);
    owner.onProbe = [&](const std::string& address) { owner.stop = address == "198.18.0.8"; };
    Table table;
    table.ranges = {{"198.18.0.1", "198.18.0.20"}, {"198.18.1.1", "198.18.1.9"}};
    ScanAllRanges(owner, table);
    ASSERT_FALSE(owner.log.empty());
    EXPECT_EQ(owner.log.back(), "probe 198.18.0.8") << "nothing after the stop";
    EXPECT_EQ(owner.dropped, 1) << "the probe of .8 was in flight";

    // A start edited into a text that is no address ends the range after the
    // addresses already started.
    OverlappingOwner edited;
    table.ranges = {{"198.18.0.1", "198.18.0.9"}};
    edited.onProbe = [&](const std::string&) { table.ranges[0].first = "198.18.0.2555"; };
    ScanRange(edited, table);
    EXPECT_EQ(edited.log, (Begins(8) + Log{"probe 198.18.0.1", "done", "end 8"}));
}

} // namespace
} // namespace nodescout
