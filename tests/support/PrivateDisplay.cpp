#include "support/PrivateDisplay.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

PrivateDisplay::PrivateDisplay() {
    if (const char* display = std::getenv("DISPLAY"))
        previousDisplay_ = display;
    // Xvfb writes the display's number to the pipe once it takes
    // connections; -noreset keeps it from resetting between clients.
    int ready[2];
    if (::pipe(ready) != 0)
        return;
    ::fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    const std::string fdText = std::to_string(ready[1]);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A test killed at its time limit takes its server with it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
                 "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    if (pid < 0) {
        ::close(ready[0]);
        return;
    }
    server_ = pid;
    std::string number;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (number.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(limit - std::chrono::steady_clock::now()).count();
        pollfd readable{ready[0], POLLIN, 0};
        char buffer[16];
        if (left <= 0 || ::poll(&readable, 1, static_cast<int>(left)) <= 0)
            break;
        const ssize_t n = ::read(ready[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        ::kill(server_, SIGKILL);
        ::waitpid(server_, nullptr, 0);
        server_ = -1;
        return;
    }
    number.erase(number.find('\n'));
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
}

PrivateDisplay::~PrivateDisplay() {
    if (server_ <= 0)
        return;
    ::kill(server_, SIGTERM);
    ::waitpid(server_, nullptr, 0);
    if (previousDisplay_)
        ::setenv("DISPLAY", previousDisplay_->c_str(), 1);
    else
        ::unsetenv("DISPLAY");
}

} // namespace testing_support
