#include "probe/ProbeHost.h"

#include "platform/net/Inet.h"
#include "platform/net/NeighbourTable.h"
#include "platform/net/UdpSocket.h"
#include "platform/process/AppPaths.h"
#include "platform/process/StopSignal.h"
#include "probe/NeighbourLookup.h"
#include "probe/NodeStatus.h"
#include "probe/ProbeSettings.h"

#include <array>
#include <optional>

namespace nodescout {
namespace {

// Sends the node-status request and waits for the first datagram that comes
// back. Empty when the send, the wait or the receive fails or times out.
std::optional<NodeStatusAnswer> QueryNodeStatus(std::uint32_t address, timeval wait) {
    UdpSocket socket;
    const auto& request = NodeStatusRequest();
    if (!socket.SendTo(request, address, htons(kNetBiosNamePort)).Succeeded()) {
        return std::nullopt;
    }
    // A stop of the thread's worker ends the wait at once.
    if (socket.WaitReadable(wait, CurrentStopHandle()) != WaitResult::Readable) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kNodeStatusAnswerCapacity> buffer{};
    const IoResult received = socket.Receive(buffer);
    if (!received.Succeeded()) {
        return std::nullopt;
    }
    return ReadNodeStatusAnswer(std::span(buffer.data(), received.bytes));
}

bool LookUpNeighbour(std::uint32_t address, MacText& macText) {
    std::vector<NeighbourRow> rows;
    if (ReadNeighbourRows(address, rows)) {
        return false;
    }
    return FindMacInNeighbourTable(rows, address, macText);
}

} // namespace

bool ProbeHost(std::uint32_t address, MacText& macText, Text& computerName) {
    return ProbeHostWithWait(address, macText, computerName, ReadProbeWait(g_szIniPath.c_str()));
}

bool ProbeHostWithWait(std::uint32_t address, MacText& macText, Text& computerName, timeval wait) {
    return ReadProbeOutcome(address, QueryNodeStatus(address, wait), macText, computerName);
}

bool ReadProbeOutcome(std::uint32_t address, const std::optional<NodeStatusAnswer>& answer,
                      MacText& macText, Text& computerName) {
    macText.Clear();
    computerName.Clear();
    if (!answer) {
        return LookUpNeighbour(address, macText);
    }
    // Hosts that keep their adapter address to themselves (Samba among them)
    // answer with six zero bytes; the neighbour table then knows better.
    if (!answer->adapterAddressIsZero || !LookUpNeighbour(address, macText)) {
        macText = answer->macText;
    }
    computerName = answer->computerName;
    return true;
}

} // namespace nodescout
