#pragma once
// Where a frame's time goes, pass by pass, for the benchmark. Timing a pass
// on a software rasteriser needs glFinish before and after it (GPU timer
// queries record per tile and leave out vertex and geometry work), which
// would slow the normal frame down; so the profile is compiled in but off
// unless a benchmark switches it on, and then costs one test per pass.

#include <array>
#include <cstddef>

namespace rtr {

class PassQueries;

enum class Pass : std::size_t {
    Update,           // the whole frame update on the CPU
    Shadow,           // the fire light's depth cube map
    Reflection,       // the mirrored scene for the water
    SceneOpaque,      // scene pass: opaque objects
    SceneFire,        // scene pass: fire objects
    SceneSky,         // scene pass: the night sky
    SceneTransparent, // scene pass: blended objects
    Particles,        // flames and smoke
    FireMask,         // the smoke's alpha mask
    Haze,             // heat haze over the fire
    Water,            // the water's mask and surface
    Composition,      // the picture onto the window
    Count
};

inline constexpr std::size_t kPassCount = static_cast<std::size_t>(Pass::Count);

// Short names, in Pass order, for tables and CSV headers.
const char* passName(Pass pass);

class PassProfile {
public:
    static void setEnabled(bool enabled);
    static bool enabled();
    // Milliseconds spent in each pass since the last reset.
    static void reset();
    static double milliseconds(Pass pass);
    static void add(Pass pass, double milliseconds);
    // Times on the process's CPU clock (all its threads) instead of the
    // steady clock. On a machine busy with other work the wall clock also
    // counts their turns on the processor, while a software rasteriser's
    // CPU time is the pass's own work.
    static void setCpuClock(bool cpuClock);
    static bool cpuClock();
    // Milliseconds on the clock in use, from an arbitrary start.
    static double now();

private:
    static bool enabled_;
    static bool cpuClock_;
    static std::array<double, kPassCount> totals_;
};

// Times the enclosing scope as `pass` while the profile is on: glFinish,
// clock, the pass, glFinish, clock; and while a frame's passes are timed on
// the GPU (PassQueries), a timer query around it. A timer inside another
// one records nothing, so a pass that draws the Level (the mirrored pass)
// is not also counted in the scene pass's parts.
class PassTimer {
public:
    explicit PassTimer(Pass pass);
    ~PassTimer();
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

private:
    Pass pass_;
    PassQueries* queries_ = nullptr;
    bool active_ = false;
    bool recording_ = false;
    bool profiling_ = false;
    double start_ = 0.0;
};

} // namespace rtr
