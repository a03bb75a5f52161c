#include "FrameReadback.h"

#include <cassert>

namespace recorder {

FrameReadback::FrameReadback(int width, int height, int depth)
    : width_(width), height_(height), frameBytes_(static_cast<std::size_t>(width) * height * 4) {
    assert(depth >= 2);
    for (int i = 0; i < depth; ++i) {
        buffers_.push_back(rtr::gl::BufferName::generate());
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_.back().get());
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(frameBytes_), nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void FrameReadback::capture() {
    assert(!full());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[next_].get());
    // BGRA is the window's own byte order on common drivers: no swizzle.
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    next_ = (next_ + 1) % static_cast<int>(buffers_.size());
    ++pending_;
}

bool FrameReadback::deliverOldest(const std::function<void(const void* pixels)>& sink) {
    assert(pending_ > 0);
    const int count = static_cast<int>(buffers_.size());
    const int oldest = (next_ - pending_ + count) % count;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[oldest].get());
    const void* pixels =
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(frameBytes_), GL_MAP_READ_BIT);
    if (pixels != nullptr) {
        sink(pixels);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    --pending_;
    return pixels != nullptr;
}

} // namespace recorder
