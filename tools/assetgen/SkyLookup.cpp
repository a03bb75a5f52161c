#include "SkyLookup.h"

#include <algorithm>
#include <filesystem>

#include "ImageFile.h"
#include "SkyFaces.h"

namespace assetgen {

SkyLookup::SkyLookup(const RuntimeTree& tree) {
    for (int f = 0; f < 6; ++f)
        faces[f] = readImage(tree.skyFaces() / std::filesystem::path(rtr::sky::kFaceFiles[f]).filename());
}

glm::vec4 SkyLookup::operator()(glm::vec3 direction) const {
    const FaceHit hit = faceOf(direction);
    const Image& face = faces[hit.face];
    const int x = std::clamp(static_cast<int>(hit.point.s * face.width()), 0, face.width() - 1);
    const int y = std::clamp(static_cast<int>(hit.point.t * face.height()), 0, face.height() - 1);
    return face.at(x, y);
}

} // namespace assetgen
