#include "render/FramebufferStatus.h"

#include <cstdio>

namespace rtr {

namespace {

const char* statusName(GLenum status) {
    switch (status) {
    case GL_FRAMEBUFFER_UNDEFINED: return "GL_FRAMEBUFFER_UNDEFINED";
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT";
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER: return "GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER";
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER: return "GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER";
    case GL_FRAMEBUFFER_UNSUPPORTED: return "GL_FRAMEBUFFER_UNSUPPORTED";
    case GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE: return "GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE";
    case GL_FRAMEBUFFER_INCOMPLETE_LAYER_TARGETS: return "GL_FRAMEBUFFER_INCOMPLETE_LAYER_TARGETS";
    default: return nullptr;
    }
}

} // namespace

bool checkFramebufferComplete(GLenum target, const char* name) {
    const GLenum status = glCheckFramebufferStatus(target);
    if (status == GL_FRAMEBUFFER_COMPLETE)
        return true;
    // 0: the check itself failed, and the driver has said why.
    if (const char* known = statusName(status))
        std::fprintf(stderr, "ERROR: incomplete framebuffer '%s': %s\n", name, known);
    else
        std::fprintf(stderr, "ERROR: incomplete framebuffer '%s': status 0x%04x\n", name, status);
    return false;
}

} // namespace rtr
