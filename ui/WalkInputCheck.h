#pragma once

// What the walking commands ("Retr All", "Auto Scan", "MAC => IP") check in
// the texts the user confirmed, before a worker starts, and what they tell
// the user. Nothing is walked unless every range goes from one dotted IPv4
// address to another (probe/RangeCheck.h); a message box says which range
// is not and why. A range of more than 65 536 addresses is walked only when
// the user answers Yes to a box that says how many. Each function shows its
// boxes on the UI thread and returns whether the command may start.

#include "platform/text/FixedText.h"
#include "probe/RangeCheck.h"
#include "store/Settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nodescout {

struct RangeToWalk {
    std::string name; // "range 2" in a table; empty for a command's one range
    std::string start;
    std::string end;
};

// command names the command in the boxes ("Retr All"). Every range of a
// table is checked and any faulty one keeps the whole table from being
// walked: the box lists them all, so they can be put right at once.
bool MayWalkRanges(std::string_view command, const std::vector<RangeToWalk>& ranges, WalkKind walk);

// The same for a command's one range.
bool MayWalkRange(std::string_view command, std::string_view start, std::string_view end,
                  WalkKind walk);

// The first count ranges of a table, named "range 1", "range 2"...
std::vector<RangeToWalk> RangesOfTable(const RangeTable& ranges, int count);

// The MAC text that "MAC => IP" searches for (probe/MacAddressText.h), or
// nothing after a box saying that typed is no MAC address.
std::optional<MacText> SearchedMacOrTell(std::string_view typed);

} // namespace nodescout
