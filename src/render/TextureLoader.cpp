#include "render/TextureLoader.h"

#include "render/ImageFile.h"

#include <FreeImage.h>

namespace {

GLint limit(GLenum query) {
    GLint value = 0;
    glGetIntegerv(query, &value);
    return value;
}

void upload(GLenum target, const rtr::DecodedImage& image) {
    glTexImage2D(target, 0, GL_RGBA8, static_cast<GLsizei>(image.width), static_cast<GLsizei>(image.height), 0,
                 GL_BGRA, GL_UNSIGNED_BYTE, FreeImage_GetBits(image.bitmap.get()));
}

constexpr const char* kFaceNames[6] = {"+X", "-X", "+Y", "-Y", "+Z", "-Z"};

std::string sizeText(const rtr::DecodedImage& image) {
    return std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels";
}

} // namespace

bool loadTexture2D(const std::string& path, GLuint& texture) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const rtr::DecodedImage image = rtr::decodeImage(path, limit(GL_MAX_TEXTURE_SIZE));
    if (image.bitmap == nullptr) {
        rtr::reportImageFailure(path, image.reason);
        return false;
    }
    upload(GL_TEXTURE_2D, image);
    texture = name;
    return true;
}

bool loadTextureCube(const std::array<std::string, 6>& paths, GLuint& texture) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    const GLint maxSize = limit(GL_MAX_CUBE_MAP_TEXTURE_SIZE);
    std::string firstFace;
    unsigned size = 0;
    for (GLenum i = 0; i < 6; ++i) {
        rtr::DecodedImage image = rtr::decodeImage(paths[i], maxSize);
        // A face of another shape leaves the cube incomplete, which samples
        // as black; say which face it is.
        if (image.bitmap != nullptr && (image.width != image.height || (i > 0 && image.width != size))) {
            image.reason = std::string("face ") + kFaceNames[i] + " is " + sizeText(image);
            if (i > 0)
                image.reason += ", face +X " + firstFace;
            image.reason += "; the six faces must be square and of one size";
            image.bitmap.reset();
        }
        if (image.bitmap == nullptr) {
            rtr::reportImageFailure(paths[i], image.reason);
            return false;
        }
        if (i == 0) {
            size = image.width;
            firstFace = sizeText(image);
        }
        upload(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, image);
    }
    texture = name;
    return true;
}
