#include "effects/EffectTexture.h"

#include "render/TextureLoader.h"

#include <iostream>

namespace rtr {

gl::TextureName loadEffectTexture(const std::string& path, const char* failureMessage, bool* loaded) {
    GLuint texture = 0;
    const bool ok = loadTexture2D(path, texture);
    if (loaded != nullptr)
        *loaded = ok;
    if (!ok) {
        std::cout << failureMessage << std::endl;
        // The loader leaves its empty texture bound; own that name.
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        texture = static_cast<GLuint>(bound);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return gl::TextureName(texture);
}

} // namespace rtr
