#include "render/PassQueries.h"

#include "render/GLDebug.h"

namespace rtr {

PassQueries* PassQueries::recording_ = nullptr;

bool rendersOnTheCpu(std::string_view renderer) {
    for (std::string_view name : {"llvmpipe", "softpipe", "lavapipe", "swrast", "Software Rasterizer"})
        if (renderer.find(name) != std::string_view::npos)
            return true;
    return false;
}

PassQueries::~PassQueries() {
    if (recording_ == this)
        recording_ = nullptr;
}

void PassQueries::pause() {
    if (!timing_)
        return;
    timing_ = false;
    ++generation_;
    latest_.fill(-1.0);
    hasResults_ = false;
}

void PassQueries::beginFrame() {
    if (supported_ == -1)
        // Core since 3.3; the entry points are still fetched at run time.
        supported_ = glBeginQuery != nullptr && glGetQueryObjectuiv != nullptr && glGetQueryObjectui64v != nullptr;
    if (supported_ == 0)
        return;
    if (!timing_) {
        timing_ = true;
        latest_.fill(-1.0);
    }
    // Oldest first, so that the newest frame read is the one shown; stop at
    // the first frame still in flight rather than wait for it.
    for (std::size_t i = 0; i < kFrames; ++i) {
        Slot& slot = slots_[(next_ + i) % kFrames];
        if (slot.inFlight && !collect(slot))
            break;
    }
    Slot& slot = slots_[next_];
    if (slot.inFlight)
        return; // the GPU is more than kFrames behind: this frame goes untimed
    slot.used = 0;
    slot.generation = generation_;
    current_ = &slot;
    recording_ = this;
}

void PassQueries::endFrame() {
    if (current_ == nullptr)
        return;
    if (passOpen_)
        endPass();
    current_->inFlight = current_->used > 0;
    current_ = nullptr;
    recording_ = nullptr;
    next_ = (next_ + 1) % kFrames;
}

void PassQueries::beginPass(Pass pass) {
    if (current_ == nullptr || passOpen_)
        return;
    Slot& slot = *current_;
    const bool fresh = slot.used == slot.queries.size();
    if (fresh)
        slot.queries.emplace_back(pass, gl::QueryName::generate());
    auto& [slotPass, query] = slot.queries[slot.used++];
    slotPass = pass;
    glBeginQuery(GL_TIME_ELAPSED, query.get());
    // A query name becomes an object at its first begin; only then can it
    // take a label.
    if (fresh)
        labelObject(GL_QUERY, query.get(), "pass time query");
    passOpen_ = true;
}

void PassQueries::endPass() {
    if (!passOpen_)
        return;
    glEndQuery(GL_TIME_ELAPSED);
    passOpen_ = false;
}

bool PassQueries::collect(Slot& slot) {
    for (std::size_t i = 0; i < slot.used; ++i) {
        GLuint available = GL_FALSE;
        glGetQueryObjectuiv(slot.queries[i].second.get(), GL_QUERY_RESULT_AVAILABLE, &available);
        if (available == GL_FALSE)
            return false;
    }
    slot.inFlight = false;
    if (slot.generation != generation_)
        return true; // issued before timing last stopped
    std::array<double, kPassCount> times;
    times.fill(-1.0);
    for (std::size_t i = 0; i < slot.used; ++i) {
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(slot.queries[i].second.get(), GL_QUERY_RESULT, &nanoseconds);
        double& time = times[static_cast<std::size_t>(slot.queries[i].first)];
        time = (time < 0.0 ? 0.0 : time) + static_cast<double>(nanoseconds) * 1e-6;
    }
    latest_ = times;
    hasResults_ = true;
    return true;
}

} // namespace rtr
