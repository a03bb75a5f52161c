#pragma once
// An effect's own image as a linearly filtered 2D texture that the effect
// owns. A missing image is not fatal: the loader has named the file, the
// effect adds its own line, and the effect keeps (and later deletes) the
// empty texture name the loader generated, so it still draws.

#include "render/GLObjects.h"

#include <string>

namespace rtr {

gl::TextureName loadEffectTexture(const std::string& path, const char* failureMessage);

} // namespace rtr
