// The fatal path's console pause: it must wait for Enter on a terminal and
// never wait when standard input is a pipe or a file (scripts, tests, CI).

#include "render/Console.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <pty.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::runInChild;

TEST(Console, FatalExitPrintsEachLineThenExitsWithMinusOne) {
    const auto result = runInChild([] { rtr::fatalExit({"Failed to compile shader", "0:1(1): error"}); }, 10.0);
    ASSERT_TRUE(result.exited) << "timed out: " << result.timedOut;
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, "Failed to compile shader\n0:1(1): error\n");
}

TEST(Console, PauseReturnsAtOnceWithoutATerminal) {
    const auto started = std::chrono::steady_clock::now();
    const auto result = runInChild([] { rtr::consolePause("PAUSE"); }, 10.0);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(Console, PauseWaitsForEnterOnATerminal) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(master);
        dup2(slave, STDIN_FILENO);
        dup2(slave, STDOUT_FILENO);
        rtr::consolePause("PAUSE");
        _exit(7);
    }
    close(slave);

    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the pause returned without Enter";

    ASSERT_EQ(write(master, "\n", 1), 1);
    pid_t ended = 0;
    for (int i = 0; i < 100 && ended == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ended = waitpid(pid, &status, WNOHANG);
    }
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    EXPECT_EQ(ended, pid) << "the pause did not return after Enter";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
    close(master);
}
