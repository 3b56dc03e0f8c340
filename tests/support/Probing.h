#pragma once

// ProbeHost's three outputs in one value that tests can compare and print,
// and probes with a wait of the test's choosing.

#include "probe/ProbeHost.h"
#include "probe/ProbeWait.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace nodescout::test {

struct ProbeOutcome {
    bool found = false;
    std::string mac;
    std::string name;

    friend bool operator==(const ProbeOutcome&, const ProbeOutcome&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ProbeOutcome& outcome) {
        return out << "{" << (outcome.found ? "true" : "false") << ", mac \"" << outcome.mac
                   << "\", name \"" << outcome.name << "\"}";
    }
};

// Probes with the wait a TimeOutMicroseconds setting of that value gives.
inline ProbeOutcome Probe(std::uint32_t address, int timeOutMicroseconds) {
    MacText mac;
    Text name;
    const bool found = ProbeHostWithWait(address, mac, name, ProbeWait(timeOutMicroseconds));
    return {found, std::string(mac.View()), std::string(name.View())};
}

// Probes as the program does, with the wait read from the settings file.
inline ProbeOutcome ProbeAsSet(std::uint32_t address) {
    MacText mac;
    Text name;
    const bool found = ProbeHost(address, mac, name);
    return {found, std::string(mac.View()), std::string(name.View())};
}

// Peers in the lab answer within microseconds and the tests wait a second
// for them; a second or third try only rides out a scheduling hiccup on a
// busy machine.
inline constexpr int kAnswerAttempts = 3;

// Calls probe() up to attempts times until accept(outcome) holds, for
// answers that can miss a short wait; returns the last outcome either way.
template <typename ProbeOnce, typename Accept>
ProbeOutcome ProbeUntil(ProbeOnce probe, int attempts, Accept accept) {
    ProbeOutcome outcome = probe();
    for (int attempt = 1; attempt < attempts && !accept(outcome); ++attempt) {
        outcome = probe();
    }
    return outcome;
}

// The same with Probe(address, timeOutMicroseconds).
template <typename Accept>
ProbeOutcome ProbeUntil(std::uint32_t address, int timeOutMicroseconds, int attempts,
                        Accept accept) {
    return ProbeUntil([&] { return Probe(address, timeOutMicroseconds); }, attempts, accept);
}

} // namespace nodescout::test
