#pragma once

// A stand-in NetBIOS host for answers that Samba's nmbd never sends, and for
// hosts that answer late: a thread of its own enters a host namespace, binds
// UDP port 137 on the host's address and answers every datagram with bytes
// the test chose, a fixed delay after the datagram arrived. Each answer
// starts with the transaction id of the request it answers, as real hosts
// send it.

#include "platform/net/UdpSocket.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace nodescout::test {

using AdapterAddress = std::array<std::uint8_t, 6>;

// A node-status answer laid out as RFC 1002 has it: header, the wildcard
// name, type, class, time to live, data length, the name count N (one byte,
// so N is cut to 255), N entries of 18 bytes (entry 0 holds firstName, blank
// padded to 15 characters; the others are made up), the adapter address and
// 40 more bytes of statistics.
std::vector<std::uint8_t> NodeStatusAnswerBytes(std::size_t nameCount, std::string_view firstName,
                                                const AdapterAddress& adapter);

class NodeStatusResponder {
public:
    // Starts answering on address:137 inside netns (an empty netns: the
    // namespace of the calling thread), each request `delay` after it
    // arrived; requests that arrive meanwhile wait their own turn. Throws
    // NetLabError when the port cannot be bound there.
    NodeStatusResponder(const std::string& netns, const std::string& address,
                        std::vector<std::uint8_t> answer,
                        std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    ~NodeStatusResponder(); // stops the thread
    NodeStatusResponder(const NodeStatusResponder&) = delete;
    NodeStatusResponder& operator=(const NodeStatusResponder&) = delete;

    // The bytes sent from the next request on.
    void SetAnswer(std::vector<std::uint8_t> answer);
    // Requests received so far.
    std::size_t RequestCount() const noexcept { return m_requests.load(); }

private:
    void Serve(const std::stop_token& stop, UdpSocket& socket);
    std::vector<std::uint8_t> AnswerTo(std::span<const std::uint8_t> request) const;

    std::chrono::milliseconds m_delay;
    mutable std::mutex m_mutex;
    std::vector<std::uint8_t> m_answer;
    std::atomic<std::size_t> m_requests{0};
    std::jthread m_thread;
};

} // namespace nodescout::test
