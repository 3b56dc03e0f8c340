// A NetBIOS host that answers node status late, the way a Wi-Fi client or a
// busy machine does: binds UDP port 137 on ADDRESS in the network namespace
// it runs in and answers every node-status request DELAY_MS milliseconds
// after it arrived, with one name and an adapter address.
//
//   nodescout_late_responder ADDRESS DELAY_MS NETBIOS_NAME ADAPTER
//
// ADAPTER is "zero" for the six zero bytes that Samba sends, or a MAC
// (aa:bb:cc:dd:ee:ff) for the real address that Windows sends. Runs until
// SIGTERM or SIGINT. Start it inside a private namespace, through
// scripts/lib/lan.sh ("lan.sh responder"); it answers whoever asks.

#include "tests/support/NetLab.h"
#include "tests/support/NodeStatusResponder.h"

#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>

namespace nodescout::test {
namespace {

constexpr int kLongestDelayMilliseconds = 60000;

int Usage() {
    std::fprintf(stderr, "usage: nodescout_late_responder ADDRESS DELAY_MS NETBIOS_NAME ADAPTER\n"
                         "  ADAPTER: zero, or a MAC such as 02:00:00:00:00:01\n");
    return 2;
}

bool ReadDelay(std::string_view text, int& milliseconds) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), milliseconds);
    return error == std::errc() && end == text.data() + text.size() && milliseconds >= 0 &&
           milliseconds <= kLongestDelayMilliseconds;
}

bool ReadAdapter(const char* text, AdapterAddress& adapter) {
    adapter = {};
    if (std::strcmp(text, "zero") == 0) {
        return true;
    }
    unsigned int bytes[6] = {};
    char end = 0;
    if (std::sscanf(text, "%2x:%2x:%2x:%2x:%2x:%2x%c", &bytes[0], &bytes[1], &bytes[2], &bytes[3],
                    &bytes[4], &bytes[5], &end) != 6) {
        return false;
    }
    for (std::size_t i = 0; i < adapter.size(); ++i) {
        adapter[i] = static_cast<std::uint8_t>(bytes[i]);
    }
    return true;
}

// Blocks the stop signals in every thread and waits for one of them.
class StopSignals {
public:
    StopSignals() {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGTERM);
        sigaddset(&m_signals, SIGINT);
        pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
    }
    void Wait() const {
        int signal = 0;
        sigwait(&m_signals, &signal);
    }

private:
    sigset_t m_signals{};
};

int Run(const char* address, const char* delayText, const char* name, const char* adapterText) {
    int delay = 0;
    AdapterAddress adapter;
    if (!ReadDelay(delayText, delay) || !ReadAdapter(adapterText, adapter) || *name == '\0') {
        return Usage();
    }
    const StopSignals stopSignals; // before the responder's thread starts
    try {
        const NodeStatusResponder responder("", address, NodeStatusAnswerBytes(1, name, adapter),
                                            std::chrono::milliseconds(delay));
        std::printf("answering node status on %s:137 as %s after %d ms\n", address, name, delay);
        std::fflush(stdout);
        stopSignals.Wait();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "nodescout_late_responder: %s\n", error.what());
        return 1;
    }
    return 0;
}

} // namespace
} // namespace nodescout::test

int main(int argc, char** argv) {
    if (argc != 5) {
        return nodescout::test::Usage();
    }
    return nodescout::test::Run(argv[1], argv[2], argv[3], argv[4]);
}
