#include "render/PassProfile.h"

#include "render/GL.h"
#include "render/PassQueries.h"

#include <chrono>
#include <ctime>

namespace rtr {

namespace {

int openTimers = 0;

} // namespace

bool PassProfile::enabled_ = false;
bool PassProfile::cpuClock_ = false;

void PassProfile::setCpuClock(bool cpuClock) { cpuClock_ = cpuClock; }

bool PassProfile::cpuClock() { return cpuClock_; }

double PassProfile::now() {
    if (cpuClock_) {
        timespec time{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
        return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) * 1e-6;
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
std::array<double, kPassCount> PassProfile::totals_{};

const char* passName(Pass pass) {
    static const char* const names[kPassCount] = {"update",  "shadow",    "reflection", "opaque",
                                                  "fire",    "sky",       "transparent", "particles",
                                                  "mask",    "haze",      "water",       "composition"};
    return names[static_cast<std::size_t>(pass)];
}

void PassProfile::setEnabled(bool enabled) { enabled_ = enabled; }

bool PassProfile::enabled() { return enabled_; }

void PassProfile::reset() { totals_.fill(0.0); }

double PassProfile::milliseconds(Pass pass) { return totals_[static_cast<std::size_t>(pass)]; }

void PassProfile::add(Pass pass, double milliseconds) { totals_[static_cast<std::size_t>(pass)] += milliseconds; }

PassTimer::PassTimer(Pass pass) : pass_(pass) {
    const bool profiling = PassProfile::enabled();
    queries_ = PassQueries::recording();
    active_ = profiling || queries_ != nullptr;
    if (!active_)
        return;
    recording_ = openTimers == 0;
    ++openTimers;
    if (!recording_)
        return;
    if (profiling) {
        glFinish();
        start_ = PassProfile::now();
    }
    if (queries_ != nullptr)
        queries_->beginPass(pass);
    profiling_ = profiling;
}

PassTimer::~PassTimer() {
    if (!active_)
        return;
    --openTimers;
    if (!recording_)
        return;
    if (queries_ != nullptr)
        queries_->endPass();
    if (profiling_) {
        glFinish();
        PassProfile::add(pass_, PassProfile::now() - start_);
    }
}

} // namespace rtr
