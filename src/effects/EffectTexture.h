#pragma once
// An effect's own image as a linearly filtered 2D texture that the effect
// owns. A missing image is not fatal: the loader has named the file, the
// effect adds its own line, and the effect keeps (and later deletes) the
// empty texture name the loader generated. That name has no image, and GL
// samples such a texture as opaque black, so an effect that would show it
// as it is (a sprite) asks whether the image loaded and leaves it out.

#include "render/GLObjects.h"

#include <string>

namespace rtr {

// `loaded`, when given, tells whether the image is in the texture.
gl::TextureName loadEffectTexture(const std::string& path, const char* failureMessage, bool* loaded = nullptr);

} // namespace rtr
