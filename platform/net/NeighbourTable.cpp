#include "platform/net/NeighbourTable.h"

namespace nodescout {

NeighbourType NeighbourTypeFromState(std::uint16_t) noexcept {
    return NeighbourType::Invalid;
}

std::error_code ReadNeighbourTable(std::vector<NeighbourRow>& rows) {
    rows.clear();
    return std::make_error_code(std::errc::function_not_supported);
}

} // namespace nodescout
