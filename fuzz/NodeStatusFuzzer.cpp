// The node-status answer reader on any datagram a host might send: the
// fuzzer's input is the datagram as received, in a buffer of exactly its
// size, so any read past it stops the run.
//
// Checked on every answer: the MAC text is twelve lower-case hexadecimal
// digits, equal to the six bytes at 57 + 18 * N (bytes past the datagram or
// past the 4096 bytes a probe receives read as zero), and the zero flag says
// whether they are all zero; the name is empty for N = 0, otherwise the first
// 15 bytes of entry 0 up to a zero byte, without blanks at either end.

#include "fuzz/FuzzSupport.h"
#include "probe/NodeStatus.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nodescout {
namespace {

// The answer byte at offset as the probe's zero-cleared buffer holds it.
std::uint8_t ReceivedByte(std::span<const std::uint8_t> datagram, std::size_t offset) {
    const std::size_t received =
        datagram.size() < kNodeStatusAnswerCapacity ? datagram.size() : kNodeStatusAnswerCapacity;
    return offset < received ? datagram[offset] : 0;
}

std::string ExpectedMacText(std::span<const std::uint8_t> datagram) {
    constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t adapter = 57 + 18 * std::size_t{ReceivedByte(datagram, 56)};
    std::string text;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::uint8_t byte = ReceivedByte(datagram, adapter + i);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string ExpectedName(std::span<const std::uint8_t> datagram) {
    if (ReceivedByte(datagram, 56) == 0) {
        return {};
    }
    std::string name;
    for (std::size_t offset = 57; offset < 57 + 15 && ReceivedByte(datagram, offset) != 0;
         ++offset) {
        name += static_cast<char>(ReceivedByte(datagram, offset));
    }
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return name.substr(first, name.find_last_not_of(' ') + 1 - first);
}

void CheckAnswer(std::span<const std::uint8_t> datagram) {
    const NodeStatusAnswer answer = ReadNodeStatusAnswer(datagram);

    const std::string_view mac = answer.macText.View();
    NODESCOUT_FUZZ_CHECK(mac.size() == 12);
    NODESCOUT_FUZZ_CHECK(mac.find_first_not_of("0123456789abcdef") == std::string_view::npos);
    NODESCOUT_FUZZ_CHECK(mac == ExpectedMacText(datagram));
    NODESCOUT_FUZZ_CHECK(answer.adapterAddressIsZero == (mac == "000000000000"));

    const std::string_view name = answer.computerName.View();
    NODESCOUT_FUZZ_CHECK(name.size() <= kNetBiosNameLength);
    NODESCOUT_FUZZ_CHECK(name.empty() || (name.front() != ' ' && name.back() != ' '));
    NODESCOUT_FUZZ_CHECK(name == ExpectedName(datagram));
}

} // namespace
} // namespace nodescout

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nodescout::CheckAnswer(std::span<const std::uint8_t>(data, size));
    return 0;
}
