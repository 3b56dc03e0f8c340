#include "tests/support/NodeStatusResponder.h"

#include "platform/net/Inet.h"
#include "probe/NodeStatus.h"
#include "tests/support/NetLab.h"

#include <algorithm>
#include <deque>
#include <future>
#include <optional>

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
                                         std::vector<std::uint8_t> answer,
                                         std::chrono::milliseconds delay)
    : m_delay(delay), m_answer(std::move(answer)) {
    std::promise<std::string> started;
    std::future<std::string> startError = started.get_future();
    m_thread = std::jthread(
        [this, netns, address, started = std::move(started)](std::stop_token stop) mutable {
            UdpSocket socket;
            std::string error;
            {
                // The socket belongs to the namespace it was opened in.
                std::optional<ScopedNamespace> inside;
                if (!netns.empty()) {
                    inside.emplace(netns);
                }
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

std::vector<std::uint8_t>
NodeStatusResponder::AnswerTo(std::span<const std::uint8_t> request) const {
    std::vector<std::uint8_t> answer;
    {
        const std::lock_guard lock(m_mutex);
        answer = m_answer;
    }
    if (answer.size() >= 2 && request.size() >= 2) {
        std::copy_n(request.begin(), 2, answer.begin()); // the transaction id
    }
    return answer;
}

void NodeStatusResponder::Serve(const std::stop_token& stop, UdpSocket& socket) {
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        std::vector<std::uint8_t> answer;
        std::uint32_t sender;
        std::uint16_t port;
    };
    std::deque<Pending> pending; // in order of arrival, so also of due time
    std::vector<std::uint8_t> request(kNodeStatusAnswerCapacity);
    while (!stop.stop_requested()) {
        // Short waits, so that the destructor never waits long for the
        // thread; shorter still when an answer falls due sooner.
        auto wait = std::chrono::microseconds(20000);
        if (!pending.empty()) {
            wait = std::clamp(std::chrono::duration_cast<std::chrono::microseconds>(
                                  pending.front().due - Clock::now()),
                              std::chrono::microseconds(0), wait);
        }
        const auto waitCount = static_cast<long>(wait.count());
        if (socket.WaitReadable(timeval{waitCount / 1000000, waitCount % 1000000}) ==
            WaitResult::Readable) {
            std::uint32_t sender = 0;
            std::uint16_t port = 0;
            const IoResult received = socket.ReceiveFrom(request, sender, port);
            if (received.Succeeded()) {
                ++m_requests;
                pending.push_back({Clock::now() + m_delay,
                                   AnswerTo(std::span(request).first(received.bytes)), sender,
                                   port});
            }
        }
        while (!pending.empty() && pending.front().due <= Clock::now()) {
            socket.SendTo(pending.front().answer, pending.front().sender, pending.front().port);
            pending.pop_front();
        }
    }
}

} // namespace nodescout::test
