#pragma once
// Progress of a recording: frames done, frames per second, time left. On a
// terminal one line is rewritten in place; in a log, a line is added every
// twentieth of the work or every ten seconds.

#include <chrono>
#include <cstdio>
#include <string>

namespace recorder {

class Progress {
public:
    Progress(long total, std::FILE* out);
    void update(long done);
    // Ends the rewritten line, if any.
    void close();
    double elapsedSeconds() const;

    // "1:05:03", "7:56", "0:09".
    static std::string clock(double seconds);

private:
    long total_;
    std::FILE* out_;
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastLine_;
    long lastStep_ = -1;
    bool open_ = false;
};

} // namespace recorder
