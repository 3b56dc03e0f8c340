#include "probe/ProbeWait.h"

namespace nodescout {

timeval ProbeWait(int timeOutMicroseconds) noexcept {
    if (timeOutMicroseconds < 0) {
        return timeval{0, 0};
    }
    return timeval{timeOutMicroseconds / 1000, timeOutMicroseconds % 1000};
}

} // namespace nodescout
