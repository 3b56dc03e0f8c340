#include "probe/UdpProbeWindow.h"

#include "platform/net/Inet.h"
#include "platform/net/UdpSocket.h"
#include "probe/NodeStatus.h"
#include "probe/ProbeHost.h"
#include "probe/ProbeSettings.h"

#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <list>
#include <optional>

namespace nodescout {
namespace {

using Clock = std::chrono::steady_clock;

struct InFlight {
    std::uint64_t sequence = 0;
    std::uint32_t address = 0; // network byte order
    UdpSocket socket;
    Clock::time_point deadline;
    bool sent = false;
    bool done = false;
    std::optional<NodeStatusAnswer> answer;
};

bool IsRefusedForNow(const std::error_code& error) {
    return error.value() == EAGAIN || error.value() == EWOULDBLOCK || error.value() == ENOBUFS;
}

bool IsOutOfDescriptors(const std::error_code& error) {
    return error.value() == EMFILE || error.value() == ENFILE;
}

bool MakeNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

class UdpProbeWindow final : public ProbeWindow {
public:
    UdpProbeWindow(std::size_t capacity, timeval wait)
        : m_capacity(capacity),
          m_wait(std::chrono::seconds(wait.tv_sec) + std::chrono::microseconds(wait.tv_usec)) {}

    std::size_t Capacity() const override { return m_capacity; }

    bool Start(std::uint64_t sequence, std::uint32_t address) override {
        const Clock::time_point now = Clock::now();
        if (now < m_nextSend || m_probes.size() >= m_capacity) {
            return false;
        }
        auto& probe = m_probes.emplace_back();
        probe.sequence = sequence;
        probe.address = address;
        probe.deadline = now + m_wait;
        if (!probe.socket.IsOpen() && IsOutOfDescriptors(probe.socket.OpenError()) &&
            m_probes.size() > 1) {
            m_probes.pop_back(); // a probe in flight gives its descriptor back soon
            return false;
        }
        if (!probe.socket.IsOpen() || !MakeNonBlocking(probe.socket.Handle())) {
            probe.done = true; // as ProbeHost: a send that fails finds no answer
            return true;
        }
        Send(probe, now);
        return true;
    }

    void Collect(std::vector<FinishedProbe>& finished) override {
        RetryRefusedSends();
        WaitForAnswers();
        const Clock::time_point now = Clock::now();
        for (auto probe = m_probes.begin(); probe != m_probes.end();) {
            if (probe->done || now >= probe->deadline) {
                finished.push_back(Outcome(*probe));
                probe = m_probes.erase(probe);
            } else {
                ++probe;
            }
        }
    }

private:
    void Send(InFlight& probe, Clock::time_point now) {
        m_nextSend = now + kSendInterval;
        const IoResult result =
            probe.socket.SendTo(NodeStatusRequest(), probe.address, htons(kNetBiosNamePort));
        if (result.Succeeded()) {
            probe.sent = true;
        } else if (!IsRefusedForNow(result.error)) {
            probe.done = true;
        }
    }

    void RetryRefusedSends() {
        for (InFlight& probe : m_probes) {
            const Clock::time_point now = Clock::now();
            if (now < m_nextSend) {
                return;
            }
            if (!probe.sent && !probe.done) {
                Send(probe, now);
            }
        }
    }

    // Until the first probe's wait is over, the next paced send or the end
    // of the slice, whichever comes first.
    timespec PollTimeout() const {
        const Clock::time_point now = Clock::now();
        // A paced send still ahead also ends the wait: the walk may have a
        // probe to start then. (One already due means the window is full.)
        Clock::time_point until = now + kCollectSlice;
        if (m_nextSend > now) {
            until = std::min(until, m_nextSend);
        }
        for (const InFlight& probe : m_probes) {
            until = std::min(until, probe.done ? now : probe.deadline);
        }
        const auto left = std::max(Clock::duration::zero(), until - now);
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    }

    void WaitForAnswers() {
        std::vector<pollfd> fds;
        std::vector<InFlight*> owners;
        for (InFlight& probe : m_probes) {
            if (probe.sent && !probe.done) {
                fds.push_back(pollfd{probe.socket.Handle(), POLLIN, 0});
                owners.push_back(&probe);
            }
        }
        const timespec timeout = PollTimeout();
        if (ppoll(fds.data(), fds.size(), &timeout, nullptr) <= 0) {
            return;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents != 0) {
                ReadDatagrams(*owners[i]);
            }
        }
    }

    // Reads until the probed address's datagram or an empty queue.
    static void ReadDatagrams(InFlight& probe) {
        std::array<std::uint8_t, kNodeStatusAnswerCapacity> buffer{};
        for (;;) {
            std::uint32_t sender = 0;
            std::uint16_t port = 0;
            const IoResult received = probe.socket.ReceiveFrom(buffer, sender, port);
            if (received.error && IsRefusedForNow(received.error)) {
                return;
            }
            if (received.error || sender == probe.address) {
                // As ProbeHost: the first datagram is the answer, an empty
                // one (or a failed receive) none.
                if (received.Succeeded()) {
                    probe.answer = ReadNodeStatusAnswer(std::span(buffer.data(), received.bytes));
                }
                probe.done = true;
                return;
            }
        }
    }

    static FinishedProbe Outcome(InFlight& probe) {
        probe.socket.Close();
        FinishedProbe outcome;
        outcome.sequence = probe.sequence;
        ReadProbeOutcome(probe.address, probe.answer, outcome.macText, outcome.computerName);
        return outcome;
    }

    std::size_t m_capacity;
    Clock::duration m_wait;
    Clock::time_point m_nextSend;
    std::list<InFlight> m_probes; // in start order; elements never move
};

} // namespace

std::unique_ptr<ProbeWindow> MakeUdpProbeWindow(std::size_t capacity, timeval wait) {
    return std::make_unique<UdpProbeWindow>(
        std::clamp<std::size_t>(capacity, 2, kMostParallelProbes), wait);
}

std::unique_ptr<ProbeWindow> OpenConfiguredProbeWindow(const char* path) {
    const int parallel = ReadParallelProbes(path);
    if (parallel <= 1) {
        return nullptr;
    }
    return MakeUdpProbeWindow(static_cast<std::size_t>(parallel), ReadProbeWait(path));
}

} // namespace nodescout
