#pragma once
// Reading the composed frames back from the window through a ring of
// pixel-buffer objects. glReadPixels into a buffer object only queues the
// copy; the recorder maps a buffer frames later, once the driver has had the
// next frames' work to overlap it with, instead of stalling on each frame's
// pixels right after drawing them.

#include "render/GLObjects.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace recorder {

class FrameReadback {
public:
    // `depth`: how many frames may be in flight, two or more.
    FrameReadback(int width, int height, int depth = 3);

    // Queues the copy of the window's back buffer (the frame just composed,
    // before the swap). The ring must have a free buffer: deliver first.
    void capture();
    // Frames captured and not yet delivered.
    int pending() const { return pending_; }
    bool full() const { return pending_ == static_cast<int>(buffers_.size()); }
    // Maps the oldest pending frame (BGRA, bottom row first), hands its
    // bytes to `sink`, and frees its buffer. False when the buffer could not
    // be mapped (the frame is lost).
    bool deliverOldest(const std::function<void(const void* pixels)>& sink);

    std::size_t frameBytes() const { return frameBytes_; }

private:
    int width_;
    int height_;
    std::size_t frameBytes_;
    std::vector<rtr::gl::BufferName> buffers_;
    int next_ = 0;    // the buffer the next capture fills
    int pending_ = 0;
};

} // namespace recorder
