#pragma once

// Made-up hosts for the main window's probe (CNodescoutDlg::SetProbeFunction),
// by dotted address, and a record of every address probed, in order. The
// workers of the window probe from their own threads, so every member is
// safe from any thread. Nothing is sent anywhere.

#include "platform/net/Inet.h"
#include "platform/process/StopSignal.h"
#include "platform/text/FixedText.h"

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace nodescout::test {

class ScriptedNetwork {
public:
    void AddHost(const std::string& address, std::string mac, std::string name = "") {
        std::lock_guard lock(m_mutex);
        m_hosts[address] = {std::move(mac), std::move(name)};
    }
    // Every address answers, with a MAC text of its own (its four bytes
    // after 0200), so every probe adds a row.
    void AnswerEverywhere() {
        std::lock_guard lock(m_mutex);
        m_bAnswerEverywhere = true;
    }
    // How long each probe takes, as a real one waits for its answer: a stop
    // of the probing worker ends the wait, as it ends a real one.
    void SetProbeTime(std::chrono::microseconds probeTime) {
        std::lock_guard lock(m_mutex);
        m_probeTime = probeTime;
    }
    // Runs after each probe, on the probing thread.
    void SetOnProbe(std::function<void()> onProbe) {
        std::lock_guard lock(m_mutex);
        m_onProbe = std::move(onProbe);
    }

    std::vector<std::string> Probed() const {
        std::lock_guard lock(m_mutex);
        return m_probed;
    }
    std::size_t ProbeCount() const {
        std::lock_guard lock(m_mutex);
        return m_probed.size();
    }

    std::function<bool(std::uint32_t, MacText&, Text&)> Probe() {
        return [this](std::uint32_t address, MacText& mac, Text& name) {
            return Answer(address, mac, name);
        };
    }

private:
    struct Host {
        std::string mac;
        std::string name;
    };

    mutable std::mutex m_mutex;
    std::map<std::string, Host> m_hosts;
    bool m_bAnswerEverywhere = false;
    std::chrono::microseconds m_probeTime{0};
    std::function<void()> m_onProbe;
    std::vector<std::string> m_probed;

    static void WaitUnlessStopped(std::chrono::microseconds wait) {
        pollfd stop{CurrentStopHandle(), POLLIN, 0};
        if (stop.fd < 0) {
            std::this_thread::sleep_for(wait);
            return;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
        const timespec timeout{seconds.count(), (wait - seconds).count() * 1000};
        ppoll(&stop, 1, &timeout, nullptr);
    }

    bool Answer(std::uint32_t address, MacText& mac, Text& name) {
        mac.Clear();
        name.Clear();
        std::chrono::microseconds probeTime{0};
        std::function<void()> onProbe;
        {
            std::lock_guard lock(m_mutex);
            const std::string dotted = AddressText(address);
            m_probed.push_back(dotted);
            if (const auto host = m_hosts.find(dotted); host != m_hosts.end()) {
                mac = host->second.mac;
                name = host->second.name;
            } else if (m_bAnswerEverywhere) {
                char text[13];
                std::snprintf(text, sizeof text, "0200%08x", ntohl(address));
                mac = text;
            }
            probeTime = m_probeTime;
            onProbe = m_onProbe;
        }
        if (probeTime.count() > 0) {
            WaitUnlessStopped(probeTime);
        }
        if (onProbe) {
            onProbe();
        }
        return !mac.IsEmpty();
    }
};

} // namespace nodescout::test
