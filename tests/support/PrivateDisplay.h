#pragma once
// An X server of a test's own (Xvfb, started on a display number it picks
// itself), for tests that send key events with xdotool: on a server shared
// with tests that run at the same time, windows come and go under the
// pointer and the focus, and a key can reach another window or none.
// DISPLAY names the server while this object lives, so that a GL context
// made then, and the xdotool commands the test runs, use it.

#include <optional>
#include <string>

#include <sys/types.h>

namespace testing_support {

class PrivateDisplay {
public:
    PrivateDisplay();
    // Stops the server and gives DISPLAY back its earlier value. Every
    // window on it must be gone by then.
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ok() const { return server_ > 0; }

private:
    pid_t server_ = -1;
    std::optional<std::string> previousDisplay_;
};

} // namespace testing_support
