#pragma once

// Waiting in a test for something the UI thread does, without blocking it.

#include <functional>

namespace nodescout::test {

// Runs the event loop until done() or the timeout; false on timeout.
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = 5000);

} // namespace nodescout::test
