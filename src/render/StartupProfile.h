#pragma once
// Where start-up time goes, phase by phase, for the benchmark. Like the pass
// profile it is compiled in and off unless a benchmark switches it on; then
// each phase boundary ends with glFinish (the driver defers work such as
// mipmap generation) and reads the steady clock. Phases nest: the time goes
// to the innermost open phase, so the programs an effect builds count as
// programs and the sound it decodes as sound, not as the effect.

#include <array>
#include <cstddef>

namespace rtr {

enum class StartupPhase : std::size_t {
    SceneImport, // reading the scene file and building the meshes and objects
    Textures,    // the scene's texture files: decoding and upload
    Programs,    // compiling and linking every GLSL program
    Effects,     // sky, water, campfire: their textures and buffers
    Sound,       // opening the audio device, decoding the sound files
    Count
};

inline constexpr std::size_t kStartupPhaseCount = static_cast<std::size_t>(StartupPhase::Count);

// Short names, in phase order, for tables.
const char* startupPhaseName(StartupPhase phase);

class StartupProfile {
public:
    static void setEnabled(bool enabled);
    static bool enabled();
    // Milliseconds spent in each phase since the last reset.
    static void reset();
    static double milliseconds(StartupPhase phase);

private:
    friend class StartupTimer;
    static bool enabled_;
    static std::array<double, kStartupPhaseCount> totals_;
};

// Counts the enclosing scope as `phase`, less the inner phases, while the
// profile is on.
class StartupTimer {
public:
    explicit StartupTimer(StartupPhase phase);
    ~StartupTimer();
    StartupTimer(const StartupTimer&) = delete;
    StartupTimer& operator=(const StartupTimer&) = delete;

private:
    bool active_ = false;
};

} // namespace rtr
