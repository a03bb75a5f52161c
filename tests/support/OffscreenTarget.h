#pragma once
// A framebuffer with an RGBA8 colour and a 24-bit depth renderbuffer, for
// tests that need depth testing (the window has no depth buffer, as in the
// program).

#include "render/GLObjects.h"

namespace testing_support {

class OffscreenTarget {
public:
    OffscreenTarget(int width, int height) : width_(width), height_(height) {
        framebuffer_ = rtr::gl::FramebufferName::generate();
        colour_ = rtr::gl::RenderbufferName::generate();
        depth_ = rtr::gl::RenderbufferName::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.get());
        glBindRenderbuffer(GL_RENDERBUFFER, colour_.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_.get());
        glBindRenderbuffer(GL_RENDERBUFFER, depth_.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_.get());
        complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glViewport(0, 0, width, height);
    }

    bool complete() const { return complete_; }
    void bind() const {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.get());
        glViewport(0, 0, width_, height_);
    }

private:
    int width_, height_;
    bool complete_ = false;
    rtr::gl::FramebufferName framebuffer_;
    rtr::gl::RenderbufferName colour_;
    rtr::gl::RenderbufferName depth_;
};

} // namespace testing_support
