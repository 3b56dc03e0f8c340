#pragma once

// The progress protocol with which the main window's bar follows a walk
// (probe/AddressWalk.h): each event of the walk becomes the progress-bar
// messages below, with the numbers progress bars have always had.

#include "framework/Types.h"

#include <cstdint>
#include <functional>

namespace nodescout {

// Sends one message to the progress bar.
using SendProgressMessage = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

// A range of count addresses begins: PBM_SETRANGE with minimum 1 and the low
// 16 bits of count as maximum, then PBM_SETPOS 1, then PBM_SETSTEP 1.
void SendRangeBegins(const SendProgressMessage& send, std::int32_t count);

// One address done: PBM_STEPIT.
void SendAddressDone(const SendProgressMessage& send);

// The range ends: PBM_SETPOS count, a negative count sign-extended into the
// WPARAM.
void SendRangeEnds(const SendProgressMessage& send, std::int32_t count);

} // namespace nodescout
