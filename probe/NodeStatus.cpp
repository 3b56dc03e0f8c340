#include "probe/NodeStatus.h"

#include <algorithm>

namespace nodescout {
namespace {

constexpr std::size_t kNameCountOffset = 56;
constexpr std::size_t kFirstNameOffset = 57;
constexpr std::size_t kNameEntrySize = 18; // 15 characters, suffix, 2 flag bytes
constexpr std::size_t kAdapterAddressSize = 6;

constexpr std::array<std::uint8_t, kNodeStatusRequestSize> BuildRequest() noexcept {
    std::array<std::uint8_t, kNodeStatusRequestSize> request{};
    request[5] = 0x01;  // one question; id, flags and the other counts stay 0
    request[12] = 0x20; // encoded name length
    // "*" and fifteen zero bytes, each nibble as 'A' + nibble: "CK" then "A"s.
    request[13] = 'C';
    request[14] = 'K';
    for (std::size_t i = 15; i < 45; ++i) {
        request[i] = 'A';
    }
    request[45] = 0x00; // end of name
    request[47] = 0x21; // type NBSTAT
    request[49] = 0x01; // class IN
    return request;
}

constexpr std::array<std::uint8_t, kNodeStatusRequestSize> kRequest = BuildRequest();

// One byte of the answer as the probe's zero-cleared receive buffer holds it.
std::uint8_t AnswerByte(std::span<const std::uint8_t> datagram, std::size_t offset) noexcept {
    const std::size_t received = std::min(datagram.size(), kNodeStatusAnswerCapacity);
    return offset < received ? datagram[offset] : 0;
}

ComputerName ReadFirstName(std::span<const std::uint8_t> datagram) noexcept {
    char name[kNetBiosNameLength + 1] = {};
    std::size_t length = 0;
    while (length < kNetBiosNameLength) {
        const std::uint8_t c = AnswerByte(datagram, kFirstNameOffset + length);
        if (c == 0) {
            break;
        }
        name[length++] = static_cast<char>(c);
    }
    std::string_view trimmed(name, length);
    const std::size_t first = trimmed.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    trimmed.remove_prefix(first);
    trimmed.remove_suffix(trimmed.size() - 1 - trimmed.find_last_not_of(' '));
    return ComputerName(trimmed);
}

} // namespace

const std::array<std::uint8_t, kNodeStatusRequestSize>& NodeStatusRequest() noexcept {
    return kRequest;
}

MacText FormatMacText(std::span<const std::uint8_t, 6> bytes) noexcept {
    MacText text;
    text.Format("%02x%02x%02x%02x%02x%02x", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                bytes[5]);
    return text;
}

NodeStatusAnswer ReadNodeStatusAnswer(std::span<const std::uint8_t> datagram) noexcept {
    NodeStatusAnswer answer;
    const std::size_t nameCount = AnswerByte(datagram, kNameCountOffset);
    const std::size_t adapterOffset = kFirstNameOffset + kNameEntrySize * nameCount;

    std::array<std::uint8_t, kAdapterAddressSize> adapter{};
    for (std::size_t i = 0; i < adapter.size(); ++i) {
        adapter[i] = AnswerByte(datagram, adapterOffset + i);
    }
    answer.macText = FormatMacText(adapter);
    answer.adapterAddressIsZero =
        std::all_of(adapter.begin(), adapter.end(), [](std::uint8_t b) { return b == 0; });

    if (nameCount >= 1) {
        answer.computerName = ReadFirstName(datagram);
    }
    return answer;
}

} // namespace nodescout
