#pragma once
// Runs a piece of a test in a forked child, so fatal paths (exit(-1) after a
// message) can be checked from the parent: exit status, standard output and
// standard error. The child must create its own GL context; the parent never
// touches GL before forking.

#include <functional>
#include <string>

namespace testing_support {

struct ChildResult {
    bool exited = false;  // ended through exit(); false on a signal or timeout
    int exitStatus = -1;  // 0-255, as the shell sees it
    bool timedOut = false;
    std::string out;
    std::string err;
};

// The status of a child whose body returned after a failed expectation of
// its own (a GL driver error that its GLTestContext reported, say).
inline constexpr int kChildFailedAnExpectation = 70;

// `body` runs in the child with standard input on /dev/null; returning from
// it exits with status 0, or kChildFailedAnExpectation. A child still running
// after the timeout is killed.
ChildResult runInChild(const std::function<void()>& body, double timeoutSeconds = 30.0);

} // namespace testing_support
