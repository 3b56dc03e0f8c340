#include "ui/WalkInputCheck.h"

#include "framework/WinApp.h"
#include "probe/MacAddressText.h"

#include <cstdint>

namespace nodescout {
namespace {

std::string Described(const RangeToWalk& range) {
    const std::string where = range.start + " - " + range.end;
    return range.name.empty() ? where : range.name + " (" + where + ")";
}

bool TellFaultyRanges(std::string_view command, const std::vector<std::string>& faults) {
    std::string text = std::string(command) + " does not start:";
    for (const std::string& fault : faults) {
        text += "\n" + fault + ".";
    }
    text += "\nAn address is four numbers from 0 to 255 joined by dots, such as 198.18.0.1.";
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool ConfirmLargeRanges(std::string_view command, const std::vector<std::string>& large,
                        std::uint64_t total) {
    std::string text = std::string(command) + " is about to probe " + std::to_string(total) +
                       " addresses, one after another:";
    for (const std::string& range : large) {
        text += "\n" + range;
    }
    text += "\nProbe them all?";
    return AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace

bool MayWalkRanges(std::string_view command, const std::vector<RangeToWalk>& ranges,
                   WalkKind walk) {
    std::vector<std::string> faults;
    std::vector<std::string> large;
    std::uint64_t total = 0;
    for (const RangeToWalk& range : ranges) {
        const RangeCheck check = CheckRange(range.start, range.end, walk);
        if (!check.IsWalkable()) {
            faults.push_back(range.name.empty() ? "In the range, " + check.problem
                                                : "In " + range.name + ", " + check.problem);
        } else if (check.IsLarge()) {
            large.push_back(Described(range) + ": " + std::to_string(check.addressCount) +
                            " addresses");
        }
        total += check.addressCount;
    }
    if (!faults.empty()) {
        return TellFaultyRanges(command, faults);
    }
    return large.empty() || ConfirmLargeRanges(command, large, total);
}

bool MayWalkRange(std::string_view command, std::string_view start, std::string_view end,
                  WalkKind walk) {
    return MayWalkRanges(command, {RangeToWalk{"", std::string(start), std::string(end)}}, walk);
}

std::vector<RangeToWalk> RangesOfTable(const RangeTable& ranges, int count) {
    std::vector<RangeToWalk> table;
    for (int i = 0; i < count && i < kMaxRanges; ++i) {
        const IpRange& range = ranges[static_cast<std::size_t>(i)];
        table.push_back({"range " + std::to_string(i + 1), std::string(range.start.View()),
                         std::string(range.end.View())});
    }
    return table;
}

std::optional<MacText> SearchedMacOrTell(std::string_view typed) {
    std::optional<MacText> mac = SearchedMacText(typed);
    if (!mac) {
        AfxMessageBox("MAC => IP does not start: \"" + std::string(typed) +
                          "\" is not a MAC address.\nA MAC address is twelve hexadecimal digits, "
                          "such as 001122334455, 00:11:22:33:44:55 or 00-11-22-33-44-55.",
                      MB_OK | MB_ICONEXCLAMATION);
    }
    return mac;
}

} // namespace nodescout
