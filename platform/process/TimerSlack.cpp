#include "platform/process/TimerSlack.h"

#include <sys/prctl.h>

namespace nodescout {

void UseFineTimerSlack() noexcept {
    constexpr unsigned long kFinestSlackNanoseconds = 1;
    // A refusal changes nothing the walk depends on, so it is not reported.
    static_cast<void>(prctl(PR_SET_TIMERSLACK, kFinestSlackNanoseconds, 0UL, 0UL, 0UL));
}

} // namespace nodescout
