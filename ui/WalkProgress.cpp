#include "ui/WalkProgress.h"

namespace nodescout {

void SendRangeBegins(const SendProgressMessage& send, std::int32_t count) {
    send(PBM_SETRANGE, 0, MAKELPARAM(1, static_cast<WORD>(count)));
    send(PBM_SETPOS, 1, 0);
    send(PBM_SETSTEP, 1, 0);
}

void SendAddressDone(const SendProgressMessage& send) {
    send(PBM_STEPIT, 0, 0);
}

void SendRangeEnds(const SendProgressMessage& send, std::int32_t count) {
    send(PBM_SETPOS, static_cast<WPARAM>(static_cast<std::intptr_t>(count)), 0);
}

} // namespace nodescout
