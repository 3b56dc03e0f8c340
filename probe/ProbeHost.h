#pragma once

// Finds the MAC address and NetBIOS computer name of one IPv4 host.
//
// Sends a NetBIOS node-status request to UDP port 137 of the address and
// reads the MAC text and the name from the answer. When no answer comes (or
// the send or the wait fails), the MAC is taken from the kernel's neighbour
// table instead, without a name. When the answer carries an all-zero adapter
// address, as Samba and many other hosts send, the neighbour table supplies
// the MAC while the name from the answer is kept.
//
// The wait for the answer is read from the settings file (g_szIniPath) on
// every call; ProbeHostWithWait takes it as an argument instead. No state is
// kept between calls, so several threads may probe at once. On a thread with
// a current stop signal (platform/process/StopSignal.h; the program's worker
// threads have one) the wait ends once that is raised, and the probe goes on
// as if no answer had come.

#include "platform/text/FixedText.h"
#include "probe/NodeStatus.h"

#include <sys/time.h>

#include <cstdint>
#include <optional>

namespace nodescout {

// address: IPv4 in network byte order (as inet_addr or htonl give it).
// Both outputs are emptied first. Returns true exactly when macText was
// filled, with twelve lower-case hexadecimal digits.
bool ProbeHost(std::uint32_t address, MacText& macText, Text& computerName);

// The same with the wait for the answer given (see probe/ProbeWait.h).
bool ProbeHostWithWait(std::uint32_t address, MacText& macText, Text& computerName, timeval wait);

// The step after the wait that every probe shares: the MAC text and name of
// address (network byte order) from the answer that came, or, with none,
// from the neighbour table, by the rules above. Both outputs are emptied
// first; returns true exactly when macText was filled.
bool ReadProbeOutcome(std::uint32_t address, const std::optional<NodeStatusAnswer>& answer,
                      MacText& macText, Text& computerName);

} // namespace nodescout
