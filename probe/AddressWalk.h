#pragma once

// The address walks behind "Retr All", "Auto Scan" and "MAC => IP": address
// by address, one probe at a time, each host with a MAC handed to the owner
// as a row, the owner told as each range begins, each address is done and
// each range ends. The walks see their owner
// (the main window, or a test) only through WalkOwner, and read the shared
// range texts through it at the points where they need them, so a change
// made meanwhile takes effect where the walk next reads it:
//   - a range's start text is read again for every address,
//   - its end text once when the range begins,
//   - the number of ranges after every range,
//   - the auto-scan interval at every pause.
// Every walk asks its owner whether a stop was asked for before each probe
// and before each event: once it was, the walk probes and reports nothing
// more.
//
// A walk spends nearly all its time in the probes' waits for an answer, so
// each walk first asks for the finest timer slack on its thread
// (platform/process/TimerSlack.h): the waits then end when they are due.
// For as long as it runs it also keeps a NeighbourReadScope
// (platform/net/NeighbourTable.h), so that its probes' neighbour lookups
// do not list the interfaces again for every address.
//
// Overlapped walks: when the owner opens a probe window as a walk starts
// (OpenProbeWindow), the walk keeps several probes in flight through it
// (probe/OverlappedWalk.h) instead of calling Probe, and takes the results
// strictly in address order: the same events in the same order as the
// one-at-a-time walk, except that the status text shows each address as its
// result is taken, not before its probe, and a range's start text is read
// as each probe starts, up to a window's width ahead of the address taken.
// The MAC search takes the first match in address order; the probes still
// in flight then are dropped. A walk of several ranges opens one window for
// all of them.

#include "platform/text/FixedText.h"
#include "probe/ProbeWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace nodescout {

class WalkOwner {
public:
    virtual ~WalkOwner() = default;

    // Finds the MAC text and name of one address (network byte order).
    virtual void Probe(std::uint32_t address, MacText& macText, Text& computerName) = 0;
    // A host that yielded a MAC text was found.
    virtual void RowFound(const char* ipText, const char* macText, const char* computerName) = 0;
    // A range of count addresses begins: the end value minus the start value
    // as a signed 32-bit number, so a backward range gives a negative count.
    virtual void RangeBegins(std::int32_t count) = 0;
    // One address of the range was probed without ending the walk.
    virtual void AddressDone() = 0;
    // The range ends, with the count it began with.
    virtual void RangeEnds(std::int32_t count) = 0;
    // The address about to be probed, for the status line.
    virtual void SetStatusText(const char* text) = 0;

    // Whether the walk running on the calling thread is to stop.
    virtual bool StopRequested() = 0;
    // Pauses the calling walk for seconds (a negative value counts as 0).
    // False when a stop cut the pause short.
    virtual bool Pause(int seconds) = 0;
    // The probes of an overlapped walk, asked for once as each walk starts;
    // none (the default) walks one probe at a time through Probe.
    virtual std::unique_ptr<ProbeWindow> OpenProbeWindow() { return nullptr; }
};

// Where a walk reads its range(s) from.
class RangeSource {
public:
    virtual ~RangeSource() = default;

    virtual int RangeCount() = 0;
    virtual Text RangeStart(int index) = 0;
    virtual Text RangeEnd(int index) = 0;
};

// Probes the addresses start, start + 1, ..., end - 1 of range `index` (the
// end address itself is not probed; an end that does not lie above the
// start probes nothing) and enters every host that yields a MAC text. Only
// dotted IPv4 addresses are walked (probe/RangeCheck.h): a range whose
// texts are not sends and probes nothing, and one whose start text stops
// being an address during the walk ends there.
// With showStatus, the status text shows each address before its probe.
void WalkRange(WalkOwner& owner, RangeSource& source, int index, bool showStatus);

// Walks ranges 0, 1, ... of the table, each with its own progress, the
// status text showing each address. Nothing happens when the table is
// empty. Returns 1.
int ScanAllRanges(WalkOwner& owner, RangeSource& table);

// Walks range 0 of source without the status text. Returns 1.
int ScanRange(WalkOwner& owner, RangeSource& source);

// The auto-scan worker's loop: ScanRange, then a pause of interval()
// seconds (read anew at every pause), until a stop is asked for.
void RunAutoScan(WalkOwner& owner, RangeSource& source, const std::function<int()>& interval);

// Looks for the host whose MAC text equals macText, ignoring the case of
// A-Z, probing every address from startText up to and including endText
// (never past 255.255.255.255). A match is entered into the list and ends
// the walk without a step for it. Returns the message for the user:
// "Congratulations. Get it: MAC - ADDRESS" or "Sorry, cannot find it.", or
// nothing when stopped. The texts are the search's own copies.
std::optional<Text> SearchMac(WalkOwner& owner, const Text& startText, const Text& endText,
                              const MacText& macText);

} // namespace nodescout
