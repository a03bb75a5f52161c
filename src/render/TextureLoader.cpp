#include "render/TextureLoader.h"

#include <FreeImage.h>

#include <iostream>

namespace {

// Decodes `path` and uploads it to `target` as 32-bit BGRA; false when the
// file cannot be loaded (after printing the loader's line).
bool uploadImage(const std::string& path, GLenum target) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    FIBITMAP* loaded = FreeImage_Load(format, path.c_str(), 0);
    // Pixel types without a 32-bit form (float or complex images) fail the
    // conversion; they are as unusable here as a missing file.
    FIBITMAP* converted = loaded != nullptr ? FreeImage_ConvertTo32Bits(loaded) : nullptr;
    if (converted == nullptr) {
        if (loaded != nullptr)
            FreeImage_Unload(loaded);
        std::cout << "Failed to open file '" << path << "'" << std::endl;
        return false;
    }
    const auto width = static_cast<GLsizei>(FreeImage_GetWidth(converted));
    const auto height = static_cast<GLsizei>(FreeImage_GetHeight(converted));
    glTexImage2D(target, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 FreeImage_GetBits(converted));
    FreeImage_Unload(converted);
    FreeImage_Unload(loaded);
    return true;
}

} // namespace

bool loadTexture2D(const std::string& path, GLuint& texture) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    if (!uploadImage(path, GL_TEXTURE_2D))
        return false;
    texture = name;
    return true;
}

bool loadTextureCube(const std::array<std::string, 6>& paths, GLuint& texture) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (GLenum i = 0; i < 6; ++i)
        if (!uploadImage(paths[i], GL_TEXTURE_CUBE_MAP_POSITIVE_X + i))
            return false;
    texture = name;
    return true;
}
