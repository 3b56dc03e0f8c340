#include "probe/AddressWalk.h"

#include "platform/net/Inet.h"
#include "platform/net/NeighbourTable.h"
#include "platform/process/TimerSlack.h"
#include "probe/OverlappedWalk.h"
#include "probe/RangeCheck.h"

#include <strings.h>

namespace nodescout {
namespace {

// The dotted text of a host-order address, in a buffer of its own.
Text DottedText(std::uint32_t hostOrder) {
    return Text(AddressText(htonl(hostOrder)));
}

// Probes one address with fresh buffers; the MAC text is empty when none
// was found.
MacText ProbeOne(WalkOwner& owner, std::uint32_t hostOrder, Text& name) {
    MacText mac;
    name.Clear();
    owner.Probe(htonl(hostOrder), mac, name);
    return mac;
}

bool EqualIgnoringAsciiCase(const MacText& a, const MacText& b) noexcept {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The addresses of one range through a window, the start text read anew
// for every address.
void WalkRangeOverlapped(WalkOwner& owner, ProbeWindow& window, RangeSource& source, int index,
                         std::int32_t count, bool showStatus) {
    const auto addressAt = [&](std::uint64_t i) -> std::optional<std::uint32_t> {
        const std::optional<std::uint32_t> first =
            ParseDottedAddress(source.RangeStart(index).View());
        if (!first) {
            return std::nullopt; // the start was edited into a text that is no address
        }
        return *first + static_cast<std::uint32_t>(i);
    };
    const auto take = [&](std::uint32_t hostOrder, const MacText& mac, const Text& name) {
        if (owner.StopRequested()) {
            return false;
        }
        const Text dotted = DottedText(hostOrder);
        if (showStatus) {
            owner.SetStatusText(dotted.c_str());
        }
        if (!mac.IsEmpty()) {
            owner.RowFound(dotted.c_str(), mac.c_str(), name.c_str());
        }
        owner.AddressDone();
        return true;
    };
    WalkInAddressOrder(owner, window, count > 0 ? static_cast<std::uint64_t>(count) : 0, addressAt,
                       take);
}

void WalkRangeWith(WalkOwner& owner, ProbeWindow* window, RangeSource& source, int index,
                   bool showStatus) {
    const std::optional<std::uint32_t> end = ParseDottedAddress(source.RangeEnd(index).View());
    const std::optional<std::uint32_t> start = ParseDottedAddress(source.RangeStart(index).View());
    if (!start || !end || owner.StopRequested()) {
        return;
    }
    const auto count = static_cast<std::int32_t>(*end - *start);
    owner.RangeBegins(count);
    if (window != nullptr) {
        WalkRangeOverlapped(owner, *window, source, index, count, showStatus);
        if (!owner.StopRequested()) {
            owner.RangeEnds(count);
        }
        return;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const std::optional<std::uint32_t> first =
            ParseDottedAddress(source.RangeStart(index).View());
        if (!first) {
            break; // the start was edited into a text that is no address
        }
        const std::uint32_t hostOrder = *first + static_cast<std::uint32_t>(i);
        const Text dotted = DottedText(hostOrder);
        if (owner.StopRequested()) {
            return;
        }
        if (showStatus) {
            owner.SetStatusText(dotted.c_str());
        }
        Text name;
        const MacText mac = ProbeOne(owner, hostOrder, name);
        if (owner.StopRequested()) {
            return;
        }
        if (!mac.IsEmpty()) {
            owner.RowFound(dotted.c_str(), mac.c_str(), name.c_str());
        }
        owner.AddressDone();
    }
    if (!owner.StopRequested()) {
        owner.RangeEnds(count);
    }
}

// The MAC search through a window; a match sets message.
void SearchMacOverlapped(WalkOwner& owner, ProbeWindow& window, std::uint32_t start,
                         std::uint32_t end, const MacText& macText, Text& message) {
    const std::uint64_t count = start <= end ? std::uint64_t{end} - start + 1 : 0;
    const auto addressAt = [start](std::uint64_t i) -> std::optional<std::uint32_t> {
        return static_cast<std::uint32_t>(start + i);
    };
    const auto take = [&](std::uint32_t hostOrder, const MacText& mac, const Text& name) {
        if (owner.StopRequested()) {
            return false;
        }
        if (!mac.IsEmpty() && EqualIgnoringAsciiCase(mac, macText)) {
            const Text dotted = DottedText(hostOrder);
            owner.RowFound(dotted.c_str(), mac.c_str(), name.c_str());
            message.Format("Congratulations. Get it: %s - %s", mac.c_str(), dotted.c_str());
            return false;
        }
        owner.AddressDone();
        return true;
    };
    WalkInAddressOrder(owner, window, count, addressAt, take);
}

} // namespace

void WalkRange(WalkOwner& owner, RangeSource& source, int index, bool showStatus) {
    const std::unique_ptr<ProbeWindow> window = owner.OpenProbeWindow();
    WalkRangeWith(owner, window.get(), source, index, showStatus);
}

int ScanAllRanges(WalkOwner& owner, RangeSource& table) {
    UseFineTimerSlack();
    const NeighbourReadScope neighbourLookups;
    if (table.RangeCount() <= 0) {
        return 1;
    }
    const std::unique_ptr<ProbeWindow> window = owner.OpenProbeWindow();
    for (int index = 0; !owner.StopRequested(); ++index) {
        WalkRangeWith(owner, window.get(), table, index, true);
        if (index + 1 >= table.RangeCount()) {
            break;
        }
    }
    return 1;
}

int ScanRange(WalkOwner& owner, RangeSource& source) {
    UseFineTimerSlack();
    const NeighbourReadScope neighbourLookups;
    WalkRange(owner, source, 0, false);
    return 1;
}

void RunAutoScan(WalkOwner& owner, RangeSource& source, const std::function<int()>& interval) {
    while (!owner.StopRequested()) {
        ScanRange(owner, source);
        if (owner.StopRequested() || !owner.Pause(interval())) {
            return;
        }
    }
}

std::optional<Text> SearchMac(WalkOwner& owner, const Text& startText, const Text& endText,
                              const MacText& macText) {
    UseFineTimerSlack();
    const NeighbourReadScope neighbourLookups;
    const std::uint32_t start = HostOrderAddress(startText.c_str());
    const std::uint32_t end = HostOrderAddress(endText.c_str());
    const auto count = static_cast<std::int32_t>(end - start);
    if (owner.StopRequested()) {
        return std::nullopt;
    }
    owner.RangeBegins(count);
    Text message("Sorry, cannot find it.");
    if (const std::unique_ptr<ProbeWindow> window = owner.OpenProbeWindow()) {
        SearchMacOverlapped(owner, *window, start, end, macText, message);
        if (owner.StopRequested()) {
            return std::nullopt;
        }
        owner.RangeEnds(count);
        return message;
    }
    // Counting in 64 bits lets the walk include 255.255.255.255 and stop
    // there instead of wrapping to 0.0.0.0.
    for (std::uint64_t address = start; start <= end && address <= end; ++address) {
        const auto hostOrder = static_cast<std::uint32_t>(address);
        Text name;
        const MacText mac = ProbeOne(owner, hostOrder, name);
        if (owner.StopRequested()) {
            return std::nullopt;
        }
        if (!mac.IsEmpty() && EqualIgnoringAsciiCase(mac, macText)) {
            const Text dotted = DottedText(hostOrder);
            owner.RowFound(dotted.c_str(), mac.c_str(), name.c_str());
            message.Format("Congratulations. Get it: %s - %s", mac.c_str(), dotted.c_str());
            break;
        }
        owner.AddressDone();
    }
    if (owner.StopRequested()) {
        return std::nullopt;
    }
    owner.RangeEnds(count);
    return message;
}

} // namespace nodescout
