#include "tests/support/NodeStatusResponder.h"

#include "platform/net/Inet.h"
#include "probe/NodeStatus.h"
#include "tests/support/NetLab.h"

#include <algorithm>
#include <future>

namespace nodescout::test {
namespace {

constexpr std::size_t kNameEntrySize = 18;
constexpr std::size_t kStatisticsAfterAdapter = 40;
constexpr std::size_t kLargestNameCount = 255;

void AppendBig16(std::vector<std::uint8_t>& bytes, std::size_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
}

void AppendNameEntry(std::vector<std::uint8_t>& bytes, std::string_view name) {
    std::string padded(name.substr(0, kNetBiosNameLength));
    padded.resize(kNetBiosNameLength, ' ');
    bytes.insert(bytes.end(), padded.begin(), padded.end());
    bytes.push_back(0x00);      // suffix: workstation
    AppendBig16(bytes, 0x0400); // flags: B node, active
}

} // namespace

std::vector<std::uint8_t> NodeStatusAnswerBytes(std::size_t nameCount, std::string_view firstName,
                                                const AdapterAddress& adapter) {
    nameCount = std::min(nameCount, kLargestNameCount);
    std::vector<std::uint8_t> bytes = {0x00, 0x00, 0x84, 0x00, // id 0; response, authoritative
                                       0x00, 0x00, 0x00, 0x01, // no questions, one answer
                                       0x00, 0x00, 0x00, 0x00};
    // The answer name: the request's wildcard name, copied.
    const auto& request = NodeStatusRequest();
    bytes.insert(bytes.end(), request.begin() + 12, request.begin() + 46);
    AppendBig16(bytes, 0x0021);         // NBSTAT
    AppendBig16(bytes, 0x0001);         // IN
    bytes.insert(bytes.end(), 4, 0x00); // time to live
    AppendBig16(bytes, 1 + kNameEntrySize * nameCount + adapter.size() + kStatisticsAfterAdapter);
    bytes.push_back(static_cast<std::uint8_t>(nameCount));
    for (std::size_t i = 0; i < nameCount; ++i) {
        AppendNameEntry(bytes, i == 0 ? std::string(firstName) : "NAME" + std::to_string(i));
    }
    bytes.insert(bytes.end(), adapter.begin(), adapter.end());
    bytes.insert(bytes.end(), kStatisticsAfterAdapter, 0x00);
    return bytes;
}

NodeStatusResponder::NodeStatusResponder(const std::string& netns, const std::string& address,
                                         std::vector<std::uint8_t> answer)
    : m_answer(std::move(answer)) {
    std::promise<std::string> started;
    std::future<std::string> startError = started.get_future();
    m_thread = std::jthread(
        [this, netns, address, started = std::move(started)](std::stop_token stop) mutable {
            UdpSocket socket;
            std::string error;
            {
                // The socket belongs to the namespace it was opened in.
                ScopedNamespace inside(netns);
                socket = UdpSocket();
                if (!socket.IsOpen()) {
                    error = "socket: " + socket.OpenError().message();
                } else if (const std::error_code bindError =
                               socket.Bind(inet_addr(address.c_str()), htons(kNetBiosNamePort))) {
                    error = "bind " + address + ":137: " + bindError.message();
                }
            }
            started.set_value(error);
            if (error.empty()) {
                Serve(stop, socket);
            }
        });
    if (const std::string error = startError.get(); !error.empty()) {
        m_thread.join();
        throw NetLabError("node-status responder in " + netns + ": " + error);
    }
}

NodeStatusResponder::~NodeStatusResponder() = default; // the jthread stops and joins

void NodeStatusResponder::SetAnswer(std::vector<std::uint8_t> answer) {
    const std::lock_guard lock(m_mutex);
    m_answer = std::move(answer);
}

std::vector<std::uint8_t> NodeStatusResponder::Answer() const {
    const std::lock_guard lock(m_mutex);
    return m_answer;
}

void NodeStatusResponder::Serve(const std::stop_token& stop, UdpSocket& socket) {
    std::vector<std::uint8_t> request(kNodeStatusAnswerCapacity);
    while (!stop.stop_requested()) {
        // Short waits, so that the destructor never waits long for the thread.
        if (socket.WaitReadable(timeval{0, 20000}) != WaitResult::Readable) {
            continue;
        }
        std::uint32_t sender = 0;
        std::uint16_t port = 0;
        if (!socket.ReceiveFrom(request, sender, port).Succeeded()) {
            continue;
        }
        ++m_requests;
        socket.SendTo(Answer(), sender, port);
    }
}

} // namespace nodescout::test
