#include "probe/NeighbourLookup.h"

#include "probe/NodeStatus.h"

#include <span>

namespace nodescout {

bool FindMacInNeighbourTable(const std::vector<NeighbourRow>& rows, std::uint32_t address,
                             MacText& macText) noexcept {
    for (const NeighbourRow& row : rows) {
        const bool counts = row.type == NeighbourType::Other ||
                            row.type == NeighbourType::Dynamic || row.type == NeighbourType::Static;
        if (!counts || row.address != address) {
            continue;
        }
        macText = FormatMacText(std::span<const std::uint8_t, 6>(row.physicalAddress, 6));
        return true;
    }
    return false;
}

} // namespace nodescout
