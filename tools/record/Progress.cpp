#include "Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace recorder {

namespace {
using Clock = std::chrono::steady_clock;
double secondsBetween(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }
} // namespace

Progress::Progress(long total, std::FILE* out)
    : total_(total), out_(out), terminal_(::isatty(::fileno(out)) != 0), start_(Clock::now()), lastLine_(start_) {}

double Progress::elapsedSeconds() const { return secondsBetween(start_, Clock::now()); }

std::string Progress::clock(double seconds) {
    const long whole = std::lround(std::max(0.0, seconds));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

void Progress::update(long done) {
    const Clock::time_point now = Clock::now();
    const long step = done * 20 / total_;
    const bool last = done == total_;
    if (terminal_) {
        if (!last && secondsBetween(lastLine_, now) < 0.25)
            return;
    } else if (!last && step == lastStep_ && secondsBetween(lastLine_, now) < 10.0) {
        return;
    }
    lastLine_ = now;
    lastStep_ = step;

    const double elapsed = secondsBetween(start_, now);
    const double fps = elapsed > 0.0 ? done / elapsed : 0.0;
    const std::string left = fps > 0.0 ? clock((total_ - done) / fps) : "?";
    std::fprintf(out_, "%sframe %ld/%ld (%ld%%)  %.2f frames/s  %s left%s", terminal_ ? "\r" : "", done, total_,
                 done * 100 / total_, fps, left.c_str(), terminal_ ? "\033[K" : "\n");
    std::fflush(out_);
    open_ = terminal_;
}

void Progress::close() {
    if (open_)
        std::fputc('\n', out_);
    open_ = false;
    std::fflush(out_);
}

} // namespace recorder
