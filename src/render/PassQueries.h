#pragma once
// What each pass of a frame costs the GPU, for the on-screen overlay: a
// GL_TIME_ELAPSED query around every pass that rtr::PassTimer marks, read
// back a few frames later. A frame's queries are only read once the driver
// says all of them are available, so the CPU never waits for the GPU; a
// frame that finds the oldest frame's queries still in flight goes untimed
// instead. While no frame is timed nothing is issued.
//
// The figures mean little where the driver is a software rasteriser: it
// runs the commands when they are flushed, after the query has ended (see
// rendersOnTheCpu).

#include "render/GLObjects.h"
#include "render/PassProfile.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace rtr {

// True for Mesa's software rasterisers (llvmpipe, softpipe, swrast) and
// for drivers layered on one (zink on lavapipe), going by GL_RENDERER.
bool rendersOnTheCpu(std::string_view renderer);

class PassQueries {
public:
    // Frames in flight: results are read this many frames after they were
    // issued at the latest.
    static constexpr std::size_t kFrames = 4;

    PassQueries() = default;
    PassQueries(const PassQueries&) = delete;
    PassQueries& operator=(const PassQueries&) = delete;
    ~PassQueries();

    // Around one frame's passes. beginFrame first reads every earlier frame
    // whose results are ready, then times this frame if a slot of the ring
    // is free. Without timer queries in the context both do nothing.
    void beginFrame();
    void endFrame();
    // While timing stops (the overlay is hidden): results still in flight
    // are dropped when they arrive, so a later frame never shows them.
    void pause();

    // Called by the outermost PassTimer of a pass while a frame is timed.
    void beginPass(Pass pass);
    void endPass();
    // The object timing the current frame, or null.
    static PassQueries* recording() { return recording_; }

    // GPU milliseconds of each pass in the newest frame read back; negative
    // where the pass did not run in that frame.
    const std::array<double, kPassCount>& latest() const { return latest_; }
    // Whether any frame has been read back since timing last started.
    bool hasResults() const { return hasResults_; }

private:
    struct Slot {
        std::vector<std::pair<Pass, gl::QueryName>> queries; // reused frame after frame
        std::size_t used = 0;
        bool inFlight = false;
        unsigned generation = 0; // of the timing run that issued them
    };

    // Reads the slot when every one of its queries is available; false
    // when one is not (yet).
    bool collect(Slot& slot);

    static PassQueries* recording_;
    std::array<Slot, kFrames> slots_;
    std::size_t next_ = 0; // the oldest slot: the next to collect and reuse
    Slot* current_ = nullptr;
    bool passOpen_ = false;
    bool timing_ = false;
    unsigned generation_ = 0;
    int supported_ = -1; // -1 until the first frame looks at the context
    std::array<double, kPassCount> latest_{};
    bool hasResults_ = false;
};

} // namespace rtr
