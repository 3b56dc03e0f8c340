#include "probe/OverlappedWalk.h"

#include "platform/net/Inet.h"

#include <deque>
#include <vector>

namespace nodescout {
namespace {

// One address between its start and the moment its result is taken.
struct Slot {
    std::uint32_t hostOrder = 0;
    bool finished = false;
    MacText macText;
    Text computerName;
};

class InOrderWalk {
public:
    InOrderWalk(WalkOwner& owner, ProbeWindow& window, std::uint64_t count)
        : m_owner(owner), m_window(window), m_count(count) {}

    void Run(const WalkAddressAt& addressAt, const TakeWalkResult& take) {
        std::vector<FinishedProbe> finished;
        while (!m_owner.StopRequested()) {
            StartWhatFits(addressAt);
            if (!TakeWhatIsReady(take)) {
                return;
            }
            if (m_slots.empty() && (m_addressesEnded || m_taken == m_count)) {
                return;
            }
            finished.clear();
            m_window.Collect(finished);
            for (FinishedProbe& probe : finished) {
                Slot& slot = m_slots.at(probe.sequence - m_taken);
                slot.finished = true;
                slot.macText = probe.macText;
                slot.computerName = probe.computerName;
            }
        }
    }

private:
    std::uint64_t Started() const { return m_taken + m_slots.size(); }

    // The window counts the results waiting to be taken too, so that a slow
    // first address holds back the sends instead of letting results pile up.
    void StartWhatFits(const WalkAddressAt& addressAt) {
        while (!m_addressesEnded && Started() < m_count && m_slots.size() < m_window.Capacity() &&
               !m_owner.StopRequested()) {
            const std::optional<std::uint32_t> hostOrder = addressAt(Started());
            if (!hostOrder) {
                m_addressesEnded = true;
                return;
            }
            if (!m_window.Start(Started(), htonl(*hostOrder))) {
                return;
            }
            m_slots.emplace_back().hostOrder = *hostOrder;
        }
    }

    bool TakeWhatIsReady(const TakeWalkResult& take) {
        while (!m_slots.empty() && m_slots.front().finished) {
            const Slot slot = m_slots.front();
            m_slots.pop_front();
            ++m_taken;
            if (!take(slot.hostOrder, slot.macText, slot.computerName)) {
                return false;
            }
        }
        return true;
    }

    WalkOwner& m_owner;
    ProbeWindow& m_window;
    std::uint64_t m_count;
    std::uint64_t m_taken = 0;
    bool m_addressesEnded = false;
    std::deque<Slot> m_slots; // from the oldest result not yet taken on
};

} // namespace

void WalkInAddressOrder(WalkOwner& owner, ProbeWindow& window, std::uint64_t count,
                        const WalkAddressAt& addressAt, const TakeWalkResult& take) {
    InOrderWalk(owner, window, count).Run(addressAt, take);
}

} // namespace nodescout
