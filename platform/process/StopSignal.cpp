#include "platform/process/StopSignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace nodescout {
namespace {

thread_local const StopSignal* t_pCurrentStopSignal = nullptr;

} // namespace

StopSignal::StopSignal() noexcept : m_nHandle(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
    if (m_nHandle >= 0) {
        ::close(m_nHandle);
    }
}

void StopSignal::Raise() noexcept {
    if (m_bRaised.exchange(true, std::memory_order_acq_rel)) {
        return;
    }
    if (m_nHandle >= 0) {
        // Nobody reads the counter, so it stays above zero and the
        // descriptor readable for every later wait.
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_nHandle, &one, sizeof one);
    }
}

const StopSignal* CurrentStopSignal() noexcept {
    return t_pCurrentStopSignal;
}

int CurrentStopHandle() noexcept {
    return t_pCurrentStopSignal ? t_pCurrentStopSignal->Handle() : -1;
}

CurrentStopSignalScope::CurrentStopSignalScope(const StopSignal& signal) noexcept
    : m_pPrevious(t_pCurrentStopSignal) {
    t_pCurrentStopSignal = &signal;
}

CurrentStopSignalScope::~CurrentStopSignalScope() {
    t_pCurrentStopSignal = m_pPrevious;
}

} // namespace nodescout
