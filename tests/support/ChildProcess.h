#pragma once

// Runs a test's body in a child process, so that it may drop root rights or
// lower its limits without touching the test process.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace nodescout::test {

// The child's result (an enum whose values fit an exit status), or notRun
// when the child could not be started or did not exit normally.
template <class Result>
Result RunInChildProcess(const std::function<Result()>& body, Result notRun) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(static_cast<int>(body()));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return notRun;
    }
    return static_cast<Result>(WEXITSTATUS(status));
}

} // namespace nodescout::test
