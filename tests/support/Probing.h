#pragma once

// ProbeHost's three outputs in one value that tests can compare and print.

#include "probe/ProbeHost.h"

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

inline ProbeOutcome Probe(std::uint32_t address) {
    MacText mac;
    Text name;
    const bool found = ProbeHost(address, mac, name);
    return {found, std::string(mac.View()), std::string(name.View())};
}

// Peers in the lab answer within microseconds and the tests wait a second
// for them; a second or third try only rides out a scheduling hiccup on a
// busy machine.
inline constexpr int kAnswerAttempts = 3;

// Probes up to attempts times until accept(outcome) holds, for answers that
// can miss a short wait; returns the last outcome either way.
template <typename Accept>
ProbeOutcome ProbeUntil(std::uint32_t address, int attempts, Accept accept) {
    ProbeOutcome outcome = Probe(address);
    for (int attempt = 1; attempt < attempts && !accept(outcome); ++attempt) {
        outcome = Probe(address);
    }
    return outcome;
}

} // namespace nodescout::test
