#pragma once
// Image files to GL textures through FreeImage, for the effects' own images
// (sprites, distortion and normal maps, the night-sky cube). Every image is
// checked against the driver's size limit before it is decoded, converted to
// 32 bits and uploaded as GL_RGBA8 from BGRA bytes, rows bottom-up as
// FreeImage holds them, mip level 0 only, no parameters set. On return the
// texture is still bound to its target, after success and after failure, so
// the caller's glTexParameteri calls apply to it.

#include "render/GL.h"

#include <array>
#include <string>

// On failure prints "Failed to open file '<path>'" and, on the next line,
// "<path>: <reason>", returns false and leaves `texture` untouched; the
// generated name stays allocated and bound.
bool loadTexture2D(const std::string& path, GLuint& texture);

// Faces in GL order +X, -X, +Y, -Y, +Z, -Z; they must be square and all of
// the first face's size. The first face that fails to load, or has another
// size, stops the loop with the same two lines (later faces are not tried;
// earlier ones stay).
bool loadTextureCube(const std::array<std::string, 6>& paths, GLuint& texture);
