#pragma once

// The messages with which every address walk drives the main window's
// progress bar, numbered as progress bars have always numbered them.

#include <cstdint>

namespace nodescout {

inline constexpr unsigned PBM_SETRANGE = 1025; // lParam: low word minimum, high word maximum
inline constexpr unsigned PBM_SETPOS = 1026;   // wParam: the position
inline constexpr unsigned PBM_DELTAPOS = 1027; // never sent by a walk
inline constexpr unsigned PBM_SETSTEP = 1028;  // wParam: the step
inline constexpr unsigned PBM_STEPIT = 1029;   // one step

// Two 16-bit halves in one message parameter: low, then high.
constexpr std::int32_t MakeLParam(std::uint32_t low, std::uint32_t high) noexcept {
    return static_cast<std::int32_t>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

} // namespace nodescout
