#include "render/StartupProfile.h"

#include "render/GL.h"

#include <chrono>
#include <vector>

namespace rtr {

namespace {

// The open phases, innermost last, and when the innermost one last began
// or resumed.
std::vector<StartupPhase> openPhases;
double resumedAt = 0.0;

double finishedMilliseconds() {
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

bool StartupProfile::enabled_ = false;
std::array<double, kStartupPhaseCount> StartupProfile::totals_{};

const char* startupPhaseName(StartupPhase phase) {
    static const char* const names[kStartupPhaseCount] = {"scene import", "textures", "programs", "effects",
                                                          "sound"};
    return names[static_cast<std::size_t>(phase)];
}

void StartupProfile::setEnabled(bool enabled) { enabled_ = enabled; }

bool StartupProfile::enabled() { return enabled_; }

void StartupProfile::reset() { totals_.fill(0.0); }

double StartupProfile::milliseconds(StartupPhase phase) { return totals_[static_cast<std::size_t>(phase)]; }

StartupTimer::StartupTimer(StartupPhase phase) {
    active_ = StartupProfile::enabled();
    if (!active_)
        return;
    const double now = finishedMilliseconds();
    if (!openPhases.empty())
        StartupProfile::totals_[static_cast<std::size_t>(openPhases.back())] += now - resumedAt;
    openPhases.push_back(phase);
    resumedAt = now;
}

StartupTimer::~StartupTimer() {
    if (!active_)
        return;
    const double now = finishedMilliseconds();
    StartupProfile::totals_[static_cast<std::size_t>(openPhases.back())] += now - resumedAt;
    openPhases.pop_back();
    resumedAt = now;
}

} // namespace rtr
